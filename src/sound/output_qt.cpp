// Linux: the sound goes out and the microphone comes in through Qt
// Multimedia, from a module of its own (device_qt.cpp and input_qt.cpp,
// built as libsimatoplektis-sound.so) that is loaded when the listening box
// or the reading box first opens. Linked into the program, Qt Multimedia and
// PulseAudio cost every start time and memory, though most runs never play.
// The module sits beside the program in the build folder, and in
// /usr/lib/simatoplektis when installed.

#include "feed.h"
#include "input.h"

#include <QCoreApplication>
#include <QLibrary>

namespace sound {

using namespace Qt::StringLiterals;

namespace {

const QString missing = u"Λείπει το κομμάτι του προγράμματος για τον ήχο (libsimatoplektis-sound.so)."_s;

QFunctionPointer resolve(const char* name)
{
    const QString here = QCoreApplication::applicationDirPath();
    for (const QString& folder : {here, here + u"/../lib/simatoplektis"_s}) {
        QLibrary module(folder + u"/libsimatoplektis-sound.so"_s);
        // Kept loaded to the end: its thread and Qt Multimedia's own live on.
        module.setLoadHints(QLibrary::PreventUnloadHint);
        if (const QFunctionPointer entry = module.resolve(name))
            return entry;
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<Output> makeOutput()
{
    static const auto openDevice = reinterpret_cast<OpenDevice>(resolve(openDeviceName));
    return fedOutput(openDevice, missing);
}

std::unique_ptr<InputDevice> openInput(Hearer& hearer, QString& error)
{
    static const auto open = reinterpret_cast<OpenInput>(resolve(openInputName));
    if (!open) {
        error = missing;
        return nullptr;
    }
    return std::unique_ptr<InputDevice>(open(hearer, error));
}

}  // namespace sound
