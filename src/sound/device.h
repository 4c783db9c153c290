#pragma once
// What a device that plays on a thread of its own and the program share. On
// Linux the device lives in a module of its own (libsimatoplektis-sound.so,
// see output_qt.cpp), so these are interfaces alone, called through their
// tables: the module needs no symbol of the program's.

#include <QString>
#include <QtGlobal>
#include <span>

namespace sound {

// What a device plays, asked for on the device's thread.
class Source {
public:
    // Fills `out`: the samples to play next, silence where there are none.
    virtual void render(std::span<qint16> out) = 0;
    virtual ~Source() = default;
};

// A device open on the default output, playing its source until it is deleted.
class Device {
public:
    virtual ~Device() = default;
    // How many samples of the source have been heard so far.
    virtual qint64 heard() const = 0;
    // The most samples the device holds that the speaker has not played.
    virtual qint64 holds() const = 0;
    // The source has something new to play: ask for it now, not at the next round.
    virtual void wake() = 0;
};

// The module's one entry: a device playing `source`, or null with the reason
// in Greek in `error`.
using OpenDevice = Device* (*)(Source& source, QString& error);
inline constexpr char openDeviceName[] = "simatoplektis_open_device";

}  // namespace sound
