#pragma once

#include "windows/console/TF_datashow.h"

namespace springtest {

// The axial data panel of the lateral machine (card 0): the standard panel without automatic gear change
// and without the test direction, which that machine never switches.
class TF_datashow_ZXGD : public TF_datashow {
    Q_OBJECT
public:
    explicit TF_datashow_ZXGD(ConsoleContext& ctx, QWidget* parent = nullptr)
        : TF_datashow(ctx, 0, Variant::Axial, parent) {
        setObjectName(QStringLiteral("F_datashow_ZXGD"));
    }
};

}  // namespace springtest
