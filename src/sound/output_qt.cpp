// Linux: the sound goes out through Qt Multimedia, from a module of its own
// (device_qt.cpp, built as libsimatoplektis-sound.so) that is loaded when
// the listening box first opens. Linked into the program, Qt Multimedia and
// PulseAudio cost every start time and memory, though most runs never play.
// The module sits beside the program in the build folder, and in
// /usr/lib/simatoplektis when installed.

#include "feed.h"

#include <QCoreApplication>
#include <QLibrary>

namespace sound {

using namespace Qt::StringLiterals;

namespace {

OpenDevice loadModule()
{
    const QString here = QCoreApplication::applicationDirPath();
    for (const QString& folder : {here, here + u"/../lib/simatoplektis"_s}) {
        QLibrary module(folder + u"/libsimatoplektis-sound.so"_s);
        // Kept loaded to the end: its thread and Qt Multimedia's own live on.
        module.setLoadHints(QLibrary::PreventUnloadHint);
        if (const auto open = reinterpret_cast<OpenDevice>(module.resolve(openDeviceName)))
            return open;
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<Output> makeOutput()
{
    static const OpenDevice openDevice = loadModule();
    return fedOutput(openDevice, u"Λείπει το κομμάτι του προγράμματος που παίζει ήχο (libsimatoplektis-sound.so)."_s);
}

}  // namespace sound
