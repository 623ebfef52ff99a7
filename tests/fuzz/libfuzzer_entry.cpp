// The libFuzzer entry of one target, chosen at compile time with VANTORO_FUZZ_TARGET (the name
// of one of the functions in fuzz_targets.h).

#include <memory>

#include <QGuiApplication>

#include "fuzz_targets.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Text in movies is drawn with the host's fonts, which need a GUI application; no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return vantoro::fuzz::VANTORO_FUZZ_TARGET(data, size);
}
