// XMLNode and XML: a node tree of script objects, parsing, serialising, and loading through
// the host (the host delivers the text by calling the object's onData).

#include <algorithm>

#include "swf/avm1/builtins.h"
#include "swf/avm1/load_progress.h"
#include "swf/avm1/vm_internals.h"
#include "swf/avm1/xml_parser.h"

namespace swf::avm1 {

namespace {

class XmlNodeObject : public Object {
public:
    explicit XmlNodeObject(Object* proto) : Object(proto) {}
    ObjectKind kind() const override { return ObjectKind::Xml; }

    int nodeType = 1;
    Value nodeName = Value::null();
    Value nodeValue = Value::null();
    XmlNodeObject* parent = nullptr;
    std::vector<XmlNodeObject*> children;
    Object* attributes = nullptr;
    ArrayObject* childNodes = nullptr;

    void syncChildNodes()
    {
        if (!childNodes) return;
        std::vector<Value> v;
        for (XmlNodeObject* c : children) v.emplace_back(c);
        childNodes->assign(std::move(v));
    }
    XmlNodeObject* sibling(int delta) const
    {
        if (!parent) return nullptr;
        auto& s = parent->children;
        auto it = std::find(s.begin(), s.end(), this);
        if (it == s.end()) return nullptr;
        auto pos = (it - s.begin()) + delta;
        if (pos < 0 || pos >= static_cast<std::ptrdiff_t>(s.size())) return nullptr;
        return s[static_cast<std::size_t>(pos)];
    }
    void detach()
    {
        if (!parent) return;
        auto& s = parent->children;
        s.erase(std::remove(s.begin(), s.end(), this), s.end());
        parent->syncChildNodes();
        parent = nullptr;
    }
    bool isAncestorOf(const XmlNodeObject* n) const
    {
        for (int guard = 0; n && guard < 100000; n = n->parent, ++guard) {
            if (n == this) return true;
        }
        return false;
    }

    bool getVirtual(Vm& vm, const String& name, Value& out) override;
    bool setVirtual(Vm& vm, const String& name, const Value& v) override;
    void traceChildren(Tracer& t) const override
    {
        Object::traceChildren(t);
        t.mark(nodeName);
        t.mark(nodeValue);
        t.mark(parent);
        for (XmlNodeObject* c : children) t.mark(c);
        t.mark(attributes);
        t.mark(childNodes);
    }
};

XmlNodeObject* makeNode(Vm& vm, Object* proto, int type)
{
    auto* n = vm.heap().make<XmlNodeObject>(proto);
    n->nodeType = type;
    n->attributes = vm.newObject();
    n->childNodes = vm.newArray();
    return n;
}

Object* nodeProtoOf(Vm& vm) { return vm.builtins().xmlNodeProto; }

bool XmlNodeObject::getVirtual(Vm& vm, const String& name, Value& out)
{
    const bool cs = vm.caseSensitive();
    auto is = [&](const char* n) { return name.equals(String(n), cs); };
    if (is("nodeType")) out = Value(static_cast<double>(nodeType));
    else if (is("nodeName")) out = nodeName;
    else if (is("nodeValue")) out = nodeValue;
    else if (is("parentNode")) out = parent ? Value(parent) : Value::null();
    else if (is("firstChild")) out = children.empty() ? Value::null() : Value(children.front());
    else if (is("lastChild")) out = children.empty() ? Value::null() : Value(children.back());
    else if (is("nextSibling")) out = sibling(1) ? Value(sibling(1)) : Value::null();
    else if (is("previousSibling")) out = sibling(-1) ? Value(sibling(-1)) : Value::null();
    else if (is("childNodes")) out = Value(childNodes);
    else if (is("attributes")) out = Value(attributes);
    else if (is("localName") || is("prefix")) {
        if (!nodeName.isString()) {
            out = Value::null();
        } else {
            std::u16string_view s = nodeName.asString().view();
            std::size_t colon = s.find(u':');
            if (is("prefix")) {
                out = Value(String(colon == std::u16string_view::npos ? std::u16string_view() : s.substr(0, colon)));
            } else {
                out = Value(String(colon == std::u16string_view::npos ? s : s.substr(colon + 1)));
            }
        }
    } else return false;
    return true;
}

bool XmlNodeObject::setVirtual(Vm& vm, const String& name, const Value& v)
{
    const bool cs = vm.caseSensitive();
    auto is = [&](const char* n) { return name.equals(String(n), cs); };
    if (is("nodeName")) {
        nodeName = v.isNullish() ? Value::null() : Value(vm.toString(v));
    } else if (is("nodeValue")) {
        nodeValue = v.isNullish() ? Value::null() : Value(vm.toString(v));
    } else if (is("attributes")) {
        if (Object* o = v.asObject()) attributes = o;
    } else if (is("nodeType") || is("parentNode") || is("firstChild") || is("lastChild") || is("nextSibling") ||
               is("previousSibling") || is("childNodes") || is("localName") || is("prefix")) {
        // read-only
    } else {
        return false;
    }
    return true;
}

XmlNodeObject* thisNode(const CallInfo& c) { return dynamic_cast<XmlNodeObject*>(c.thisObj); }

void serialize(Vm& vm, const XmlNodeObject* root, std::u16string& out)
{
    // Iterative walk: (node, closing?) pairs.
    std::vector<std::pair<const XmlNodeObject*, bool>> work{{root, false}};
    while (!work.empty()) {
        auto [n, closing] = work.back();
        work.pop_back();
        if (out.size() > (std::size_t{1} << 28)) vm.abort(AbortReason::HeapExhausted, "XML text too long");
        if (n->nodeType == 3) {
            if (n->nodeValue.isString()) out += escapeXmlText(n->nodeValue.asString().view());
            continue;
        }
        bool named = n->nodeName.isString();
        if (closing) {
            if (named) out += u"</" + n->nodeName.asString().str() + u">";
            continue;
        }
        if (named) {
            out += u"<" + n->nodeName.asString().str();
            if (n->attributes) {
                std::vector<String> names = vm.enumerableNames(n->attributes);
                for (auto it = names.rbegin(); it != names.rend(); ++it) {
                    out += u" " + it->str() + u"=\"" +
                           escapeXmlText(vm.toString(vm.getMember(n->attributes, *it)).view()) + u"\"";
                }
            }
            if (n->children.empty()) {
                out += u" />";
                continue;
            }
            out += u">";
        }
        work.emplace_back(n, true);
        for (auto it = n->children.rbegin(); it != n->children.rend(); ++it) work.emplace_back(*it, false);
    }
}

Value nodeToString(Vm& vm, const CallInfo& c)
{
    XmlNodeObject* n = thisNode(c);
    if (!n) return Value();
    std::u16string out;
    serialize(vm, n, out);
    return Value(String(std::move(out)));
}

Value xmlToString(Vm& vm, const CallInfo& c)
{
    XmlNodeObject* n = thisNode(c);
    if (!n) return Value();
    std::u16string out;
    for (const char* decl : {"xmlDecl", "docTypeDecl"}) {
        Value d = vm.getMember(n, String(decl));
        if (!d.isNullish()) out += vm.toString(d).view();
    }
    serialize(vm, n, out);
    return Value(String(std::move(out)));
}

Value nodeAppendChild(Vm&, const CallInfo& c)
{
    XmlNodeObject* n = thisNode(c);
    auto* child = dynamic_cast<XmlNodeObject*>(c.arg(0).asObject());
    if (!n || !child || child->isAncestorOf(n)) return Value();
    child->detach();
    child->parent = n;
    n->children.push_back(child);
    n->syncChildNodes();
    return Value();
}

Value nodeInsertBefore(Vm&, const CallInfo& c)
{
    XmlNodeObject* n = thisNode(c);
    auto* child = dynamic_cast<XmlNodeObject*>(c.arg(0).asObject());
    auto* before = dynamic_cast<XmlNodeObject*>(c.arg(1).asObject());
    if (!n || !child || !before || before->parent != n || child == before || child->isAncestorOf(n)) return Value();
    child->detach();
    auto it = std::find(n->children.begin(), n->children.end(), before);
    n->children.insert(it, child);
    child->parent = n;
    n->syncChildNodes();
    return Value();
}

Value nodeRemoveNode(Vm&, const CallInfo& c)
{
    if (XmlNodeObject* n = thisNode(c)) n->detach();
    return Value();
}

Value nodeHasChildNodes(Vm&, const CallInfo& c)
{
    XmlNodeObject* n = thisNode(c);
    return Value(n && !n->children.empty());
}

XmlNodeObject* cloneTree(Vm& vm, const XmlNodeObject* src, bool deep)
{
    auto copyOne = [&](const XmlNodeObject* from) {
        XmlNodeObject* to = makeNode(vm, nodeProtoOf(vm), from->nodeType);
        to->nodeName = from->nodeName;
        to->nodeValue = from->nodeValue;
        if (from->attributes) {
            for (const String& name : vm.enumerableNames(from->attributes)) {
                to->attributes->define(name, vm.getMember(from->attributes, name), 0);
            }
        }
        return to;
    };
    XmlNodeObject* root = copyOne(src);
    if (!deep) return root;
    std::vector<std::pair<const XmlNodeObject*, XmlNodeObject*>> work{{src, root}};
    while (!work.empty()) {
        auto [from, to] = work.back();
        work.pop_back();
        for (const XmlNodeObject* child : from->children) {
            XmlNodeObject* copy = copyOne(child);
            copy->parent = to;
            to->children.push_back(copy);
            work.emplace_back(child, copy);
        }
        to->syncChildNodes();
    }
    return root;
}

Value nodeCloneNode(Vm& vm, const CallInfo& c)
{
    XmlNodeObject* n = thisNode(c);
    if (!n) return Value();
    return Value(cloneTree(vm, n, vm.toBoolean(c.arg(0))));
}

Value nodeConstructor(Vm& vm, const CallInfo& c)
{
    XmlNodeObject* n = thisNode(c);
    if (!n) return Value();
    n->nodeType = toClampedInt(argNumber(vm, c, 0));
    if (!n->attributes) n->attributes = vm.newObject();
    if (!n->childNodes) n->childNodes = vm.newArray();
    if (c.count() > 1) {
        Value v(argString(vm, c, 1));
        if (n->nodeType == 3) n->nodeValue = v;
        else n->nodeName = v;
    }
    return Value(n);
}

Object* allocateNode(Vm& vm, Object* proto) { return makeNode(vm, proto, 1); }

// Replaces the document's children with the parse of `text`.
// An element parsed with an id attribute is listed under that id in the document's idMap,
// which is made on the first such element and kept by later parses.
template <class Attributes>
void registerId(Vm& vm, XmlNodeObject* doc, XmlNodeObject* element, const Attributes& attributes)
{
    for (const auto& [name, value] : attributes) {
        if (name != u"id") continue;
        const String mapName("idMap");
        Object* map = nullptr;
        if (Property* p = doc->findOwn(mapName, true); p && !p->getter) map = p->value.asObject();
        if (!map) {
            map = vm.newObject();
            doc->define(mapName, Value(map), PropFlag::DontEnum);
        }
        vm.setMember(map, String(value), Value(element));
        return;
    }
}

void parseInto(Vm& vm, XmlNodeObject* doc, const String& text)
{
    for (XmlNodeObject* c : doc->children) c->parent = nullptr;
    doc->children.clear();
    bool ignoreWhite = vm.toBoolean(vm.getMember(doc, String("ignoreWhite")));
    XmlParseResult r = parseXml(text.view(), ignoreWhite);
    std::vector<XmlNodeObject*> made(r.nodes.size(), nullptr);
    made[0] = doc;
    for (std::size_t i = 0; i < r.nodes.size(); ++i) {
        for (int childIndex : r.nodes[i].children) {
            const XmlParseNode& p = r.nodes[static_cast<std::size_t>(childIndex)];
            XmlNodeObject* n = makeNode(vm, nodeProtoOf(vm), static_cast<int>(p.type));
            if (p.type == XmlParseNode::Type::Text) {
                n->nodeValue = Value(String(p.value));
            } else {
                n->nodeName = Value(String(p.name));
                for (const auto& [name, value] : p.attributes) n->attributes->define(String(name), Value(String(value)), 0);
                registerId(vm, doc, n, p.attributes);
            }
            n->parent = made[i];
            made[i]->children.push_back(n);
            made[static_cast<std::size_t>(childIndex)] = n;
        }
    }
    for (XmlNodeObject* n : made) {
        if (n) n->syncChildNodes();
    }
    vm.setMember(doc, String("status"), Value(static_cast<double>(r.status)));
    vm.setMember(doc, String("xmlDecl"), r.xmlDecl.empty() ? Value() : Value(String(r.xmlDecl)));
    vm.setMember(doc, String("docTypeDecl"), r.docTypeDecl.empty() ? Value() : Value(String(r.docTypeDecl)));
}

Value xmlParse(Vm& vm, const CallInfo& c)
{
    XmlNodeObject* n = thisNode(c);
    if (n && c.count() > 0) parseInto(vm, n, argString(vm, c, 0));
    return Value();
}

Value xmlConstructor(Vm& vm, const CallInfo& c)
{
    XmlNodeObject* n = thisNode(c);
    if (!n) return Value();
    n->nodeType = 1;
    if (c.count() > 0 && !c.arg(0).isUndefined()) parseInto(vm, n, argString(vm, c, 0));
    return Value(n);
}

Value xmlCreateElement(Vm& vm, const CallInfo& c)
{
    XmlNodeObject* n = makeNode(vm, nodeProtoOf(vm), 1);
    n->nodeName = Value(argString(vm, c, 0));
    return Value(n);
}

Value xmlCreateTextNode(Vm& vm, const CallInfo& c)
{
    XmlNodeObject* n = makeNode(vm, nodeProtoOf(vm), 3);
    n->nodeValue = Value(argString(vm, c, 0));
    return Value(n);
}

// load(url): the host fetches the text and calls onData(text), or onData() on failure.
Value xmlLoad(Vm& vm, const CallInfo& c)
{
    if (!c.thisObj || c.count() == 0) return Value(false);
    UrlRequest r;
    r.kind = UrlRequest::Kind::LoadXml;
    r.url = argString(vm, c, 0).str();
    r.scriptObject = c.thisObj;
    markLoadStarted(vm, c.thisObj);
    vm.host().urlRequest(r);
    return Value(true);
}

Value xmlSend(Vm& vm, const CallInfo& c)
{
    if (!c.thisObj || c.count() == 0) return Value(false);
    UrlRequest r;
    r.kind = UrlRequest::Kind::OpenUrl;
    r.url = argString(vm, c, 0).str();
    r.window = c.count() > 1 ? argString(vm, c, 1).str() : std::u16string();
    r.method = HttpMethod::Post;
    r.variables = vm.toString(Value(c.thisObj)).str();
    vm.host().urlRequest(r);
    return Value(true);
}

Value xmlSendAndLoad(Vm& vm, const CallInfo& c)
{
    Object* target = c.arg(1).asObject();
    if (!c.thisObj || !target || c.count() < 2) return Value(false);
    UrlRequest r;
    r.kind = UrlRequest::Kind::LoadXml;
    r.url = argString(vm, c, 0).str();
    r.method = HttpMethod::Post;
    r.variables = vm.toString(Value(c.thisObj)).str();
    r.scriptObject = target;
    markLoadStarted(vm, target);
    vm.host().urlRequest(r);
    return Value(true);
}

// Default onData: parse what arrived and report through onLoad.
Value xmlOnData(Vm& vm, const CallInfo& c)
{
    auto* n = thisNode(c);
    if (!n) return Value();
    if (c.arg(0).isUndefined()) {
        Value arg(false);
        vm.invokeMethod(n, String("onLoad"), std::span<const Value>(&arg, 1));
        return Value();
    }
    parseInto(vm, n, argString(vm, c, 0));
    n->define(String("loaded"), Value(true), PropFlag::DontEnum);
    Value arg(true);
    vm.invokeMethod(n, String("onLoad"), std::span<const Value>(&arg, 1));
    return Value();
}

Value acceptAndIgnore(Vm&, const CallInfo&) { return Value(); }

}  // namespace

void installXml(Vm& vm, Object* global)
{
    auto& b = vm.builtins();
    b.xmlNodeProto = vm.newObject();
    Object* np = b.xmlNodeProto;
    FunctionObject* node = vm.newConstructor(nodeConstructor, np, allocateNode);
    global->define("XMLNode", Value(node));
    struct {
        const char* name;
        NativeFunction fn;
    } nodeMethods[] = {{"appendChild", nodeAppendChild},   {"insertBefore", nodeInsertBefore},
                       {"removeNode", nodeRemoveNode},     {"hasChildNodes", nodeHasChildNodes},
                       {"cloneNode", nodeCloneNode},       {"toString", nodeToString}};
    for (auto& m : nodeMethods) vm.defineMethod(np, m.name, m.fn);

    b.xmlProto = vm.heap().make<Object>(np);
    Object* xp = b.xmlProto;
    FunctionObject* xml = vm.newConstructor(xmlConstructor, xp, allocateNode);
    global->define("XML", Value(xml));
    struct {
        const char* name;
        NativeFunction fn;
    } xmlMethods[] = {{"createElement", xmlCreateElement}, {"createTextNode", xmlCreateTextNode},
                      {"parseXML", xmlParse},             {"load", xmlLoad},
                      {"send", xmlSend},                  {"sendAndLoad", xmlSendAndLoad},
                      {"onData", xmlOnData},              {"toString", xmlToString},
                      {"getBytesLoaded", loadBytesLoaded}, {"getBytesTotal", loadBytesTotal},
                      {"addRequestHeader", acceptAndIgnore}};
    for (auto& m : xmlMethods) vm.defineMethod(xp, m.name, m.fn);
    xp->define("ignoreWhite", Value(false), PropFlag::DontEnum);
    xp->define("contentType", Value("application/x-www-form-urlencoded"), PropFlag::DontEnum);
}

}  // namespace swf::avm1
