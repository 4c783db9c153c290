#pragma once
// Where the sound goes: one small piece with one implementation a platform
// (output_*.cpp, chosen by the build), so that the box that plays and the
// light that flashes know nothing of PulseAudio, Windows or the browser.

#include "tone.h"

#include <QString>
#include <memory>

namespace sound {

class Output {
public:
    virtual ~Output() = default;

    // Opens the device and keeps it ready, so that a play starts at once.
    // False, with `error()` in Greek, when there is no device to play on.
    virtual bool open() = 0;
    // Plays the stream from its start, opening the device if need be; false
    // as open() is.
    virtual bool play(std::unique_ptr<ToneStream> stream) = 0;
    // What plays fades out over a tone's edge; a stop when nothing plays is
    // no fault.
    virtual void stop() = 0;
    // How far the stream has been heard, in samples: what has come out of
    // the speaker, not what the device has taken.
    virtual qint64 played() const = 0;

    QString error() const { return error_; }

protected:
    QString error_;
};

std::unique_ptr<Output> makeOutput();

}  // namespace sound
