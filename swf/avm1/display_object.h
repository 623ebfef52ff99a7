#pragma once
// The script object of a display object. It stores the clip's variables like any object and
// forwards display properties (_x, _name, text, ...) and child lookups to the node, which it
// holds weakly: once the runtime drops the node, the object resolves its last path instead.

#include <memory>

#include "swf/avm1/display_host.h"
#include "swf/avm1/object.h"

namespace swf::avm1 {

class DisplayWrapper : public Object {
public:
    DisplayWrapper(Object* proto, const std::shared_ptr<DisplayNode>& node, DisplayKind kind)
        : Object(proto), displayKind(kind), node_(node) {}

    ObjectKind kind() const override { return ObjectKind::Display; }
    std::shared_ptr<DisplayNode> node() const { return node_.lock(); }
    void detach(const String& path)
    {
        node_.reset();
        detachedPath = path;
        detached = true;
    }

    bool getVirtual(Vm&, const String& name, Value& out) override;
    bool setVirtual(Vm&, const String& name, const Value& v) override;
    bool hasVirtual(Vm&, const String& name) override;
    void enumerateVirtual(Vm&, std::vector<String>& names) override;

    const DisplayKind displayKind;
    String detachedPath;
    bool detached = false;

private:
    std::weak_ptr<DisplayNode> node_;
};

// Display property names (_x ... _ymouse) to their index; -1 if `name` is none of them.
int displayPropertyIndex(const String& name);
// "_level12" -> 12; -1 if `name` is not a level name (movies of SWF 7 on spell "_level" in
// lower case, earlier ones in any case).
int levelOfName(std::u16string_view name, bool caseSensitive);
// Property `index` (GetProperty numbering) of the display object `target` (global ones need
// no target). Undefined when the target is not a live display object.
Value getDisplayProperty(Vm& vm, Object* target, int index);
void setDisplayProperty(Vm& vm, Object* target, int index, const Value& v);
// Text field property names (text, htmlText, ...) to their enum; false if none.
bool textPropertyByName(const String& name, TextProperty& out);

}  // namespace swf::avm1
