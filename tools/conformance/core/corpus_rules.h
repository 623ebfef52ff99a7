// The rules the corpus data leaves open, chosen from its manifests, logs, pictures and PCM files.
// Every figure the runner assumes about a corpus lives here, so that a better-informed choice is
// a one-line change.
#pragma once

namespace conformance::rules {

// --- Folders with manifest.tsv (movies beside X.swf.trace / X.swf.png / X.swf.N.M.raw) ---------
// Those cases carry no run settings. Their logs show the reference player ran each movie for about
// ten seconds of movie time unless the movie quit first (fscommand "quit"): a six-frame movie at
// 1 fps logged its frames 1..4 twice (10 frames ran), and a 7000 ms interval fired exactly once.
// Pictures and sound come from the same harness, so they get the same run; the picture is the
// stage after the last tick. The run is given as ticks of one frame interval each.
inline constexpr double kTimedRunSeconds = 10.0;
// Frame rate assumed when the manifest has no fps column (the authoring tool's default).
inline constexpr double kFallbackFrameRate = 12.0;

// Those pictures come without a tolerance. A faithful renderer differs from the reference
// screenshots by antialiasing on edges, so a channel may differ by up to 8 levels and 0.2 % of
// the channel values may differ more (a missing or misplaced shape of even 10 x 10 pixels exceeds
// that on a 200 x 150 stage).
inline constexpr int kTimedImageTolerance = 8;
inline constexpr double kTimedImageMaxOutlierShare = 0.002;

// --- Similarity figures, printed for every picture so that progress shows before a strict pass --
// Share of pixels whose every channel is within this many levels; PSNR over R, G and B.
inline constexpr int kSimilarityTolerance = 8;
// PSNR reported for identical pictures or sounds (the true value is infinite; JSON has no infinity).
inline constexpr double kPsnrIdentical = 100.0;

// --- Folders with manifest.json / test.toml ---------------------------------------------------
// test.toml without num_frames or num_ticks runs one frame.
inline constexpr int kDefaultIterations = 1;
// Pictures whose manifest entry names another engine as their origin are compared and reported,
// but do not decide the case: they are not what Flash Player drew.
inline constexpr bool kCountOtherEngineImages = false;

// --- Sound (*.raw) ------------------------------------------------------------------------------
// A .raw file is signed 16-bit little-endian stereo (L, R interleaved) at 5512.5 Hz, one eighth of
// the mixer's 44.1 kHz: the ADPCM cases (11025 Hz mono sources) decode bit-exactly to the raw's
// left and right channels with raw frame k equal to source sample 2k + 1, which sits at 44.1 kHz
// frame 8k + 4. The swfcli mix is therefore sampled at frames 8k + 4.
// Every case of the corpus has one .raw (X.swf.1.0.raw); several would be summed from the start,
// a guess, since nothing shows what the two numbers in the name mean.
inline constexpr int kRawDecimation = 8;
inline constexpr int kRawPhase = 4;
// The reference values are the decoded samples themselves, so a faithful decoder and resampler
// hit them up to rounding in the mixer: 16 levels (-66 dBFS) per sample. A decoding error drifts
// by hundreds to thousands of levels within a few samples, so 0.1 % of values may exceed it (a
// click or a rounding quirk at a block edge), not more. Beyond the reference's end the mix must be
// silent within the same tolerance.
inline constexpr int kSoundTolerance = 16;
inline constexpr double kSoundMaxOutlierShare = 0.001;

}  // namespace conformance::rules
