// The page (getUserMedia) does not hear yet: the reading command is not
// offered there (sound::hearingBuilt), and this is what a call would get if
// it were.

#include "input.h"

namespace sound {

std::unique_ptr<InputDevice> openInput(Hearer&, QString& error)
{
    error = QStringLiteral("Αυτή η έκδοση του προγράμματος δεν ακούει ακόμη το μικρόφωνο.");
    return nullptr;
}

}  // namespace sound
