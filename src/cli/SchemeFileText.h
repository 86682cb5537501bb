#pragma once

#include "storage/Schemes.h"

#include <QString>

#include <optional>

namespace springtest {

// A stored scheme as the text of a scheme file, which `scheme add --file` reads back into the same scheme:
// every field the machine's editor has, the points up to the scheme's count, each style and kind named in a
// comment. `lateralMachine` writes the kind of the lateral-stiffness machine in place of the standard
// machines' switches. Nothing, with `error` saying why, when a stored text cannot be written so that it
// reads back unchanged (a point holding a comma, a name with a quote that must be quoted, a count that is no
// number from 1 to 10).
std::optional<QString> standardSchemeFileText(const StandardScheme& scheme, bool lateralMachine,
                                              QString& error);
std::optional<QString> leafSchemeFileText(const LeafSpringScheme& scheme, QString& error);

}  // namespace springtest
