#include "run_options.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

namespace swfcli {
namespace {

// Longer runs than this are a typo, not a test.
constexpr int kMaxIterations = 10'000'000;
constexpr int kMaxImageSide = 16384;

int parseInt(const std::string& text, const std::string& option, int min, int max)
{
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < min || value > max)
        throw std::invalid_argument(option + " wants a whole number from " + std::to_string(min) + " to " +
                                    std::to_string(max) + ", not '" + text + "'");
    return value;
}

double parseMs(const std::string& text, const char* option = "--tick-ms", const char* unit = "milliseconds")
{
    std::size_t used = 0;
    double value = 0;
    try {
        value = std::stod(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || !std::isfinite(value) || value <= 0 || value > 3'600'000)
        throw std::invalid_argument(std::string(option) + " wants a positive number of " + unit + ", not '" + text + "'");
    return value;
}

}  // namespace

RunOptions parseRunOptions(const std::vector<std::string>& args)
{
    RunOptions o;
    bool counted = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw std::invalid_argument(a + " wants a value");
            return args[++i];
        };
        if (a == "--frames" || a == "--ticks") {
            if (counted) throw std::invalid_argument("give either --frames or --ticks, once");
            counted = true;
            o.mode = a == "--frames" ? RunOptions::Mode::Frames : RunOptions::Mode::Ticks;
            o.count = parseInt(value(), a, 1, kMaxIterations);
        } else if (a == "--tick-ms") {
            o.tickMs = parseMs(value());
        } else if (a == "--script-timeout") {
            o.scriptTimeoutSeconds = parseMs(value(), "--script-timeout", "seconds");
        } else if (a == "--trace") {
            o.trace = true;
        } else if (a == "--png") {
            o.pngPath = value();
        } else if (a == "--at") {
            o.pngAt = parseInt(value(), a, 1, kMaxIterations);
        } else if (a == "--wav") {
            o.wavPath = value();
        } else if (a == "--size") {
            const std::string& v = value();
            const std::size_t x = v.find('x');
            if (x == std::string::npos) throw std::invalid_argument("--size wants WIDTHxHEIGHT, not '" + v + "'");
            o.width = parseInt(v.substr(0, x), "--size", 1, kMaxImageSide);
            o.height = parseInt(v.substr(x + 1), "--size", 1, kMaxImageSide);
        } else if (a == "--input") {
            o.inputPath = value();
        } else if (a == "--quality") {
            const std::string& v = value();
            if (v == "low")
                o.quality = swf::Quality::Low;
            else if (v == "medium")
                o.quality = swf::Quality::Medium;
            else if (v == "high")
                o.quality = swf::Quality::High;
            else
                throw std::invalid_argument("--quality wants low, medium or high, not '" + v + "'");
        } else if (!a.empty() && a[0] == '-') {
            throw std::invalid_argument("unknown option " + a);
        } else if (o.movie.empty()) {
            o.movie = a;
        } else {
            throw std::invalid_argument("one movie at a time ('" + a + "' is one too many)");
        }
    }
    if (o.movie.empty()) throw std::invalid_argument("which movie?");
    if (o.tickMs && o.mode != RunOptions::Mode::Ticks) throw std::invalid_argument("--tick-ms goes with --ticks");
    if (o.pngAt && o.pngPath.empty()) throw std::invalid_argument("--at goes with --png");
    if (o.pngAt && *o.pngAt > o.count)
        throw std::invalid_argument("--at " + std::to_string(*o.pngAt) + " is after the last iteration");
    return o;
}

}  // namespace swfcli
