#pragma once

#include <QStringList>

namespace springtest {

// `springtest compensate`: measures the frame's yield under load on the machine and stores it as the card's
// displacement compensation, as the compensation window would with the values typed.
int runCompensateCommand(const QString& applicationFolder, const QStringList& options);

}  // namespace springtest
