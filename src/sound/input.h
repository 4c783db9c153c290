#pragma once
// The microphone: a device that records on a thread of its own and hands
// each block it records to a hearer, there. On Linux the device lives in the
// sound module beside the output (input_qt.cpp), so these are interfaces
// alone, called through their tables; Windows' is in the program.

#include <QString>
#include <memory>
#include <span>

namespace sound {

// The rate the input is asked for: the decoder reads Morse from 8,000 a
// second up, and a whistle's 3,500 Hz needs 7,000; PulseAudio converts.
inline constexpr int inputRate = 16'000;

// What the input device gives, on the device's thread: mono, full scale ±1.
class Hearer {
public:
    virtual void hear(std::span<const float> samples) = 0;
    virtual ~Hearer() = default;
};

// The default input, recording into its hearer until it is deleted, which
// releases it at once.
class InputDevice {
public:
    virtual ~InputDevice() = default;
};

using OpenInput = InputDevice* (*)(Hearer& hearer, QString& error);
inline constexpr char openInputName[] = "simatoplektis_open_input";

// What the box says when there is no input to be had, on every platform.
inline constexpr char16_t noMicrophone[] = u"Δεν βρέθηκε μικρόφωνο.";
inline constexpr char16_t microphoneRefused[]
    = u"Το μικρόφωνο δεν άνοιξε: ίσως το χρησιμοποιεί άλλο πρόγραμμα ή δεν επιτρέπεται.";

// Whether this build hears at all: Linux does, through the sound module,
// and Windows through waveIn (input_windows.cpp); the page (getUserMedia)
// is still to come, and there the command is not offered.
#if defined(Q_OS_WASM)
inline constexpr bool hearingBuilt = false;
#else
inline constexpr bool hearingBuilt = true;
#endif

// Opens the default input for `hearer`; null, with the reason in Greek in
// `error`, when there is none or it is refused.
std::unique_ptr<InputDevice> openInput(Hearer& hearer, QString& error);

}  // namespace sound
