// Throughput of the sound engine's hot paths, in seconds of sound per second of CPU
// (x_real_time), and for the streaming-MP3 movies of the corpus (when present): whole-movie
// stream playback speed, and whether the decoded sound keeps pace with the samples the blocks
// declare (max_drift_frames, end_drift_frames), so that a timeline following the sound clock
// shows each frame with its own sound.

#include <benchmark/benchmark.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "audio_test_support.h"
#include "swf/audio/decoded_sound.h"
#include "swf/audio/mixer.h"
#include "swf/audio/mp3_decoder.h"
#include "swf/audio/mp3_frame.h"
#include "swf/audio/resampler.h"

namespace swf::audio {
namespace {

// The 0.6 s test MP3 repeated to `seconds` of sound (its frames concatenate into a valid stream).
std::vector<std::uint8_t> longMp3(double seconds)
{
    const auto one = test::readFile(test::dataPath("chirp_mono_22050.mp3"));
    std::vector<std::uint8_t> out;
    for (double t = 0; t < seconds; t += 0.653) out.insert(out.end(), one.begin(), one.end());
    return out;
}

std::shared_ptr<const StreamSource> sourceOf(const SoundFormat& format, std::vector<std::vector<std::uint8_t>> blocks)
{
    auto owned = std::make_shared<std::vector<std::vector<std::uint8_t>>>(std::move(blocks));
    auto source = std::make_shared<StreamSource>();
    source->format = format;
    for (const auto& b : *owned) source->blocks.emplace_back(b);
    source->owner = owned;
    return source;
}

void reportRealTime(benchmark::State& state, double soundSecondsPerIteration)
{
    state.counters["x_real_time"] = benchmark::Counter(soundSecondsPerIteration, benchmark::Counter::kIsIterationInvariantRate);
}

void Mp3EventDecode(benchmark::State& state)
{
    const auto data = test::mp3SoundData(longMp3(30), 1105);
    double seconds = 0;
    for (auto _ : state) {
        const auto sound = decodeEventSound(SoundFormat::fromByte(0x2a), 0, data);
        seconds = static_cast<double>(sound->frames()) / sound->sampleRate;
        benchmark::DoNotOptimize(sound->samples.data());
    }
    reportRealTime(state, seconds);
    state.counters["sound_seconds"] = seconds;
}
BENCHMARK(Mp3EventDecode)->Unit(benchmark::kMillisecond);

// A 22 kHz MP3 stream at 24 fps through the mixer: decoding, resampling to 44.1 kHz, mixing,
// pulled in 10 ms pieces as an output does.
void Mp3StreamDecodeResampleMix(benchmark::State& state)
{
    const auto blocks = test::mp3StreamBlocks(longMp3(30), 22050, 24, 1105);
    const auto source = sourceOf(SoundFormat::fromByte(0x2a), blocks);
    std::vector<std::int16_t> buffer(2 * 441);
    double seconds = 0;
    for (auto _ : state) {
        Mixer mixer;
        const StreamId stream = mixer.addStream(source, 24);
        mixer.startStream(stream, 0);
        std::int64_t frames = 0;
        while (mixer.streamClock(stream)->playing) {
            mixer.pull(buffer);
            frames += 441;
        }
        seconds = static_cast<double>(frames) / kOutputRate;
    }
    reportRealTime(state, seconds);
}
BENCHMARK(Mp3StreamDecodeResampleMix)->Unit(benchmark::kMillisecond);

// Eight event sounds at 11 and 22 kHz with envelopes and pans, mixed for ten seconds.
void EventMix(benchmark::State& state)
{
    std::vector<std::shared_ptr<DecodedSound>> sounds;
    for (int i = 0; i < 8; ++i) {
        auto s = std::make_shared<DecodedSound>();
        s->sampleRate = i % 2 ? 11025 : 22050;
        s->channels = 1 + i % 2;
        s->samples.resize(static_cast<std::size_t>(s->sampleRate * s->channels), static_cast<std::int16_t>(1000 * i));
        sounds.push_back(std::move(s));
    }
    SoundInfo info;
    info.loops = 20;
    info.envelope = {{0, 0, 32768}, {44100, 32768, 0}};
    std::vector<std::int16_t> buffer(2 * 1024);
    for (auto _ : state) {
        Mixer mixer;
        for (std::size_t i = 0; i < sounds.size(); ++i) {
            mixer.startSound(sounds[i], info, i);
            mixer.setGroupTransform(i, SoundTransform::fromPan(static_cast<double>(i) * 25 - 100));
        }
        for (int n = 0; n < 10 * kOutputRate / 1024; ++n) mixer.pull(buffer);
        benchmark::DoNotOptimize(buffer.data());
    }
    reportRealTime(state, 10.0);
}
BENCHMARK(EventMix)->Unit(benchmark::kMillisecond);

void Resample(benchmark::State& state)
{
    const int rate = static_cast<int>(state.range(0));
    std::vector<std::int16_t> input(static_cast<std::size_t>(rate) * 2 * 10);
    for (std::size_t i = 0; i < input.size(); ++i) input[i] = static_cast<std::int16_t>(std::sin(i * 0.01) * 10000);
    std::vector<float> out(2 * 4096);
    for (auto _ : state) {
        Resampler r(rate, 2);
        r.push(input);
        r.finish();
        while (r.read(out) > 0) benchmark::DoNotOptimize(out.data());
    }
    reportRealTime(state, 10.0);
}
BENCHMARK(Resample)->Arg(5512)->Arg(11025)->Arg(22050)->Arg(44100)->Unit(benchmark::kMillisecond);

// The streaming-MP3 movies of the corpus: the main timeline's stream played through a mixer.
struct MovieStream {
    double frameRate = 0;
    std::shared_ptr<StreamSource> source;
    std::shared_ptr<std::vector<std::vector<std::uint8_t>>> owned;
};

std::optional<MovieStream> loadMovieStream(const std::string& path)
{
    double frameRate = 0;
    const auto tags = test::readSwfTags(path, &frameRate);
    if (!tags) return std::nullopt;
    MovieStream movie;
    movie.frameRate = frameRate;
    movie.source = std::make_shared<StreamSource>();
    movie.owned = std::make_shared<std::vector<std::vector<std::uint8_t>>>();
    int frame = 0;
    bool haveHead = false;
    for (const auto& tag : *tags) {
        if ((tag.code == 18 || tag.code == 45) && tag.body.size() >= 4 && !haveHead) {
            movie.source->format = SoundFormat::fromByte(tag.body[1]);
            haveHead = true;
        } else if (tag.code == 19) {
            if (movie.owned->size() <= static_cast<std::size_t>(frame)) movie.owned->resize(static_cast<std::size_t>(frame) + 1);
            (*movie.owned)[static_cast<std::size_t>(frame)] = tag.body;
        } else if (tag.code == 1) {
            ++frame;
        }
    }
    if (!haveHead || movie.owned->empty() || !movie.source->format.is(SoundCodec::Mp3)) return std::nullopt;
    for (const auto& b : *movie.owned) movie.source->blocks.emplace_back(b);
    movie.source->owner = movie.owned;
    return movie;
}

// Plays the stream and measures, block by block, whether the decoder keeps pace with the samples
// the blocks declare: when the timeline follows the sound clock, frame k is shown when the sound
// reaches k frames' worth of samples, so every sample lost or added would move the sound against
// the picture from there on. The decoder may hold one MP3 frame until the next block comes; that
// is not drift (the channel decodes ahead), so one frame's worth is allowed for.
void CorpusStream(benchmark::State& state, MovieStream movie)
{
    const SoundFormat format = movie.source->format;
    Mp3Decoder decoder(format.channels(), format.sampleRate, {});
    std::vector<std::int16_t> scratch;
    std::int64_t declared = 0, decoded = 0, frameSamples = 0, lastBlock = 0;
    double worst = 0, worstSeek = 0;
    for (std::size_t k = 0; k < movie.source->blocks.size(); ++k) {
        const auto block = movie.source->blocks[k];
        if (block.size() < 4) continue;
        const auto frames = block.subspan(4);
        const std::int64_t samples = countMp3Samples(frames);
        if (samples == 0) continue;
        if (const auto header = parseMp3FrameHeader(frames)) frameSamples = header->samples;
        declared += samples;
        scratch.clear();
        decoder.decode(frames, scratch);
        decoded += static_cast<std::int64_t>(scratch.size()) / decoder.channels();
        const double perFrame = effectiveRate(decoder.sampleRate()) / movie.frameRate;
        const auto apart = std::max<std::int64_t>(0, std::abs(declared - decoded) - frameSamples);
        worst = std::max(worst, static_cast<double>(apart) / perFrame);
        if (k > 0) worstSeek = std::max(worstSeek, std::abs(static_cast<std::int16_t>(block[2] | block[3] << 8)) / perFrame);
        lastBlock = static_cast<std::int64_t>(k);
    }
    std::vector<std::int16_t> buffer(2 * 1024);
    std::int64_t frames = 0;
    int endFrame = 0;
    for (auto _ : state) {
        Mixer mixer;
        const StreamId stream = mixer.addStream(movie.source, movie.frameRate);
        mixer.startStream(stream, 0);
        frames = 0;
        while (mixer.streamClock(stream)->playing) {
            mixer.pull(buffer);
            frames += 1024;
        }
        endFrame = mixer.streamClock(stream)->frame;
    }
    reportRealTime(state, static_cast<double>(frames) / kOutputRate);
    state.counters["fps"] = movie.frameRate;
    state.counters["rate"] = format.sampleRate;
    state.counters["last_block_frame"] = static_cast<double>(lastBlock);
    state.counters["sound_end_frame"] = endFrame;
    state.counters["max_drift_frames"] = worst;
    state.counters["end_drift_frames"] = static_cast<double>(decoded - declared) * movie.frameRate / decoder.sampleRate();
    state.counters["max_seek_frames"] = worstSeek;
}

void registerCorpusStreams()
{
    const std::string root = test::corpusPath("realworld/");
    std::ifstream manifest(root + "manifest.tsv");
    std::string line;
    std::getline(manifest, line);  // header
    std::vector<std::string> seen;
    while (std::getline(manifest, line)) {
        std::vector<std::string> fields;
        std::stringstream row(line);
        for (std::string field; std::getline(row, field, '\t');) fields.push_back(field);
        if (fields.size() < 11 || fields[10].find("sound:stream=mp3") == std::string::npos) continue;
        std::string repo = fields[0];
        for (std::size_t at = repo.find('/'); at != std::string::npos; at = repo.find('/')) repo.replace(at, 1, "__");
        const std::string path = root + repo + "/" + fields[2];
        if (std::find(seen.begin(), seen.end(), path) != seen.end() || !test::exists(path)) continue;
        seen.push_back(path);
        auto movie = loadMovieStream(path);
        if (!movie) continue;
        benchmark::RegisterBenchmark(("CorpusStream/" + fields[2]).c_str(), CorpusStream, std::move(*movie))
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
    }
}

}  // namespace
}  // namespace swf::audio

int main(int argc, char** argv)
{
    swf::audio::registerCorpusStreams();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
