#pragma once

#include "windows/console/TF_datashow.h"

namespace springtest {

// The lateral data panel of the lateral machine: card 1's load and deformation, and the displacement of
// the three sideways axes, each with its zero: Y (card 1), X (card 3) and the turntable's angle (card 2).
// The operator opens it when needed and may close it again; a lateral test does not start without it.
class TF_datashow_HXGD : public TF_datashow {
    Q_OBJECT
public:
    explicit TF_datashow_HXGD(ConsoleContext& ctx, QWidget* parent = nullptr)
        : TF_datashow(ctx, 1, Variant::Lateral, parent) {
        setObjectName(QStringLiteral("F_datashow_HXGD"));
    }
};

}  // namespace springtest
