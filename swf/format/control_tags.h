#pragma once
// Decoders of the smaller tags: frame labels, scenes, exports and imports, file attributes,
// script limits, tab indices, action containers, scaling grids, text rendering settings,
// video, metadata.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "swf/format/geometry.h"
#include "swf/format/reader.h"
#include "swf/format/text_encoding.h"

namespace swf {

Rgba decodeSetBackgroundColor(ByteReader body);

struct FrameLabel {
    std::string name;
    bool namedAnchor = false;  // SWF 6+
};
FrameLabel decodeFrameLabel(ByteReader body, TextDecoder& text);

struct SceneEntry {
    std::uint32_t firstFrame = 0;  // zero-based
    std::string name;
};
struct FrameLabelEntry {
    std::uint32_t frame = 0;       // zero-based
    std::string name;
};
struct SceneAndFrameLabelData {
    std::vector<SceneEntry> scenes;
    std::vector<FrameLabelEntry> labels;
};
SceneAndFrameLabelData decodeSceneAndFrameLabelData(ByteReader body, TextDecoder& text);

struct AssetEntry {
    std::uint16_t characterId = 0;
    std::string name;
};
std::vector<AssetEntry> decodeExportAssets(ByteReader body, TextDecoder& text);

struct ImportAssets {
    int importVersion = 1;
    std::string url;
    std::vector<AssetEntry> entries;  // id to use here, exporter's name
};
ImportAssets decodeImportAssets(ByteReader body, int importVersion, TextDecoder& text);

struct FileAttributes {
    bool useDirectBlit = false, useGpu = false, hasMetadata = false, actionScript3 = false,
         noCrossDomainCache = false, useNetwork = false;
};
FileAttributes decodeFileAttributes(ByteReader body);

struct ScriptLimits {
    std::uint16_t maxRecursionDepth = 256;
    std::uint16_t timeoutSeconds = 15;
};
ScriptLimits decodeScriptLimits(ByteReader body);

struct SetTabIndex {
    std::uint16_t depth = 0;
    std::uint16_t tabIndex = 0;
};
SetTabIndex decodeSetTabIndex(ByteReader body);

// DoAction: the whole body is the action records.
struct DoInitAction {
    std::uint16_t spriteId = 0;
    std::span<const std::uint8_t> actions;
};
DoInitAction decodeDoInitAction(ByteReader body);

struct ScalingGrid {
    std::uint16_t characterId = 0;
    Rect splitter;
};
ScalingGrid decodeDefineScalingGrid(ByteReader body);

struct CsmTextSettings {
    std::uint16_t textId = 0;
    std::uint8_t useFlashType = 0;
    std::uint8_t gridFit = 0;
    float thickness = 0, sharpness = 0;
};
CsmTextSettings decodeCsmTextSettings(ByteReader body);

struct VideoStreamDefinition {
    std::uint16_t id = 0;
    std::uint16_t frameCount = 0;
    std::uint16_t width = 0, height = 0;
    std::uint8_t deblocking = 0;
    bool smoothing = false;
    std::uint8_t codec = 0;
};
VideoStreamDefinition decodeDefineVideoStream(ByteReader body);

struct VideoFrame {
    std::uint16_t streamId = 0;
    std::uint16_t frameNumber = 0;
    std::span<const std::uint8_t> data;
};
VideoFrame decodeVideoFrame(ByteReader body);

std::string decodeMetadata(ByteReader body, TextDecoder& text);

}  // namespace swf
