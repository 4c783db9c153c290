#pragma once
// Where the sound goes: one small piece with one implementation a platform
// (output_*.cpp, chosen by the build), so that the box that plays and the
// light that flashes know nothing of PulseAudio, Windows or the browser.

#include "tone.h"

#include <QObject>
#include <QString>
#include <memory>

namespace sound {

class Output : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Starts the stream from its start. False, with `error()` in Greek, when
    // there is no device to play it on.
    virtual bool play(std::unique_ptr<ToneStream> stream) = 0;
    // Silent at once; a stop when nothing plays is no fault.
    virtual void stop() = 0;
    // How far the stream has been heard, in samples.
    virtual qint64 played() const = 0;

    QString error() const { return error_; }

signals:
    void finished();  // the whole stream was played

protected:
    QString error_;
};

std::unique_ptr<Output> makeOutput(QObject* parent = nullptr);

}  // namespace sound
