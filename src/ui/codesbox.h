#pragma once

#include "model/codes.h"

#include <optional>
#include <span>

namespace ui {

// The codes box: the built-in codes and a pasted table in a list, the
// chosen one's setting under it, and beside them what loading it would give.
// `remembered` holds the settings from one opening to the next; the choice
// on OK, nothing on Cancel.
std::optional<model::CodeChoice> chooseCode(std::span<const model::Key> keys, const QString& message,
                                            model::CodeChoice& remembered);

}  // namespace ui
