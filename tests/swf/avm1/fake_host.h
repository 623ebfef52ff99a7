#pragma once
// A host for the VM without a runtime: clips are plain tree nodes with a property table, the
// clock is set by the test, trace output and requests are recorded.

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "swf/avm1/display_host.h"
#include "swf/avm1/gc.h"
#include "swf/avm1/object.h"
#include "swf/avm1/string.h"
#include "swf/avm1/vm.h"

namespace swf::avm1::testing {

// Joins pieces into one string (appends, avoiding a false warning of GCC 12 on operator+).
template <class... Parts>
std::string cat(const Parts&... parts)
{
    std::string out;
    (out.append(std::string_view(parts)), ...);
    return out;
}
// Whole numbers as the log shows them; values past the integer range (hostile scripts) clamp.
inline std::string num(double d)
{
    if (std::isnan(d)) return "0";
    return std::to_string(static_cast<long long>(std::clamp(d, -9.2e18, 9.2e18)));
}

class FakeClip : public DisplayNode {
public:
    FakeClip(std::u16string name, int version, DisplayKind kind = DisplayKind::MovieClip)
        : name_(std::move(name)), version_(version), kind_(kind)
    {
        props_[DisplayProperty::XScale] = 100;
        props_[DisplayProperty::YScale] = 100;
        props_[DisplayProperty::Alpha] = 100;
        props_[DisplayProperty::Visible] = 1;
        props_[DisplayProperty::CurrentFrame] = 1;
        props_[DisplayProperty::TotalFrames] = 1;
        props_[DisplayProperty::FramesLoaded] = 1;
    }

    // Makes the script object; call once after creating the node with make_shared.
    void attach(Vm& vm, const String& exportName = {}) { object_ = vm.createDisplayObject(shared_from_this(), exportName); }

    std::shared_ptr<FakeClip> addChild(Vm& vm, std::u16string name, int depth = 0)
    {
        auto child = std::make_shared<FakeClip>(std::move(name), version_);
        child->parent_ = this;
        child->depth_ = depth;
        child->vm = &vm;
        children_.push_back(child);
        child->attach(vm);
        return child;
    }
    void removeChild(FakeClip* c)
    {
        children_.erase(std::remove_if(children_.begin(), children_.end(),
                                       [c](const std::shared_ptr<FakeClip>& p) { return p.get() == c; }),
                        children_.end());
    }

    DisplayKind kind() const override { return kind_; }
    Object* scriptObject() const override { return object_; }
    int swfVersion() const override { return version_; }
    DisplayNode* parent() const override { return parent_; }
    int levelNumber() const override { return level_; }
    std::u16string name() const override { return name_; }
    void setName(const std::u16string& n) override { name_ = n; }
    DisplayNode* childByName(std::u16string_view n, bool caseSensitive) const override
    {
        for (const auto& c : children_) {
            if (caseSensitive ? c->name_ == n : equalsIgnoreCase(c->name_, n)) return c.get();
        }
        return nullptr;
    }
    std::vector<DisplayNode*> children() const override
    {
        std::vector<DisplayNode*> out;
        for (const auto& c : children_) out.push_back(c.get());
        return out;
    }
    int depth() const override { return depth_; }
    double property(DisplayProperty p) const override
    {
        auto it = props_.find(p);
        return it == props_.end() ? 0 : it->second;
    }
    void setProperty(DisplayProperty p, double v) override { props_[p] = v; }
    void play() override { playing_ = true; log.push_back("play"); }
    void stop() override { playing_ = false; log.push_back("stop"); }
    void gotoFrame(int frame, bool andPlay) override
    {
        log.push_back(cat("goto ", num(frame), andPlay ? " play" : " stop"));
        props_[DisplayProperty::CurrentFrame] = frame;
    }
    bool gotoLabel(std::u16string_view label, bool andPlay) override
    {
        log.push_back(cat("label ", utf16ToUtf8(label), andPlay ? " play" : " stop"));
        return true;
    }
    std::vector<ActionBlock> frameActions(int frame) const override
    {
        auto it = frameScripts.find(frame);
        return it == frameScripts.end() ? std::vector<ActionBlock>{} : it->second;
    }
    DisplayNode* createEmptyMovieClip(std::u16string_view name, int depth) override
    {
        if (!vm) return nullptr;
        return addChild(*vm, std::u16string(name), depth).get();
    }
    void removeFromParent() override
    {
        if (auto* p = dynamic_cast<FakeClip*>(parent_)) {
            auto self = shared_from_this();  // keep alive until the call returns
            p->removeChild(this);
            parent_ = nullptr;
        }
    }
    bool isPlaying() const override { return playing_; }
    ColorTransform colorTransform() const override { return color_; }
    void setColorTransform(const ColorTransform& c) override { color_ = c; }
    DisplayNode* attachMovie(std::u16string_view exportName, std::u16string_view name, int depth, Object* init) override
    {
        if (!vm) return nullptr;
        auto child = addChild(*vm, std::u16string(name), depth);
        vm->initializeClip(child->scriptObject(), init, String(exportName));
        return child.get();
    }
    int nextHighestDepth() const override
    {
        int d = 0;
        for (const auto& c : children_) d = std::max(d, c->depth_ + 1);
        return d;
    }
    DisplayNode* instanceAtDepth(int depth) const override
    {
        for (const auto& c : children_) {
            if (c->depth_ == depth) return c.get();
        }
        return nullptr;
    }
    void swapDepths(int depth) override { log.push_back(cat("swap ", num(depth))); }
    void drawLineStyle(const LineStyle& s) override
    {
        log.push_back(s.none ? std::string("lineStyle none") : cat("lineStyle ", num(s.thickness)));
    }
    void drawBeginFill(Rgba c) override
    {
        log.push_back(cat("fill ", num(c.r), ",", num(c.g), ",", num(c.b), ",", num(c.a)));
    }
    void drawBeginGradientFill(const GradientStyle& g) override
    {
        log.push_back(cat("gradient ", g.radial ? "radial " : "linear ", num(static_cast<double>(g.stops.size()))));
    }
    void drawMoveTo(double x, double y) override { log.push_back(cat("moveTo ", num(x), ",", num(y))); }
    void drawLineTo(double x, double y) override { log.push_back(cat("lineTo ", num(x), ",", num(y))); }
    void drawCurveTo(double, double, double ax, double ay) override
    {
        log.push_back(cat("curveTo ", num(ax), ",", num(ay)));
    }
    void drawEndFill() override { log.push_back("endFill"); }
    void drawClear() override { log.push_back("clear"); }

    void setLevel(int level) { level_ = level; }

    std::vector<std::string> log;
    std::map<int, std::vector<ActionBlock>> frameScripts;
    Vm* vm = nullptr;

private:
    std::u16string name_;
    int version_;
    DisplayKind kind_;
    DisplayNode* parent_ = nullptr;
    int depth_ = 0;
    int level_ = 0;
    bool playing_ = true;
    Object* object_ = nullptr;
    ColorTransform color_;
    std::map<DisplayProperty, double> props_;
    std::vector<std::shared_ptr<FakeClip>> children_;
};

class FakeHost : public DisplayHost {
public:
    DisplayNode* levelRoot(int level) override { return level == 0 ? root.get() : nullptr; }
    double timerMs() override { return now; }
    double wallClockMs() override { return wallClock; }
    double localTimeZoneOffsetMinutes(double) override { return zoneOffsetMinutes; }
    void trace(const std::u16string& line) override { traces.push_back(utf16ToUtf8(line)); }
    void urlRequest(const UrlRequest& r) override { requests.push_back(r); }
    void fsCommand(const std::u16string& c, const std::u16string& a) override
    {
        commands.push_back(cat(utf16ToUtf8(c), "|", utf16ToUtf8(a)));
    }
    bool soundExists(std::u16string_view name) const override { return name == u"beep"; }
    void startSound(DisplayNode* owner, std::u16string_view name, double offset, int loops, Object*) override
    {
        sounds.push_back(cat("start ", utf16ToUtf8(name), " ", num(offset), " x", num(loops), owner ? " on " : "",
                             owner ? utf16ToUtf8(owner->name()) : std::string()));
    }
    void stopSound(DisplayNode*, std::u16string_view name) override { sounds.push_back(cat("stop ", utf16ToUtf8(name))); }
    bool isKeyDown(int code) const override { return std::find(keysDown.begin(), keysDown.end(), code) != keysDown.end(); }
    double stageWidth() const override { return 550; }
    double stageHeight() const override { return 400; }
    void traceRoots(Tracer& t) override
    {
        std::vector<FakeClip*> work{root.get()};
        while (!work.empty()) {
            FakeClip* c = work.back();
            work.pop_back();
            if (!c) continue;
            t.mark(c->scriptObject());
            for (DisplayNode* ch : c->children()) work.push_back(static_cast<FakeClip*>(ch));
        }
    }

    // Creates the root clip of level 0.
    void makeRoot(Vm& vm, int version)
    {
        root = std::make_shared<FakeClip>(u"", version);
        root->vm = &vm;
        root->attach(vm);
    }

    std::shared_ptr<FakeClip> root;
    double now = 0;
    double wallClock = 0;
    double zoneOffsetMinutes = 0;
    std::vector<int> keysDown;
    std::vector<std::string> traces;
    std::vector<UrlRequest> requests;
    std::vector<std::string> commands;
    std::vector<std::string> sounds;
};

}  // namespace swf::avm1::testing
