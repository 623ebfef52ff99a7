#include "swf/avm1/object.h"

#include <algorithm>

namespace swf::avm1 {

bool propertyVisible(std::uint16_t flags, int version)
{
    if ((flags & PropFlag::OnlySwf6Up) && version < 6) return false;
    if ((flags & PropFlag::IgnoreSwf6) && version == 6) return false;
    if ((flags & PropFlag::OnlySwf7Up) && version < 7) return false;
    if ((flags & PropFlag::OnlySwf8Up) && version < 8) return false;
    if ((flags & PropFlag::OnlySwf9Up) && version < 9) return false;
    if ((flags & PropFlag::OnlySwf10Up) && version < 10) return false;
    return true;
}

bool prototypeLinkVisible(std::uint16_t flags, int version)
{
    // The player applies the version bits of __proto__ differently when it follows the chain:
    // SWF 5 misses a link marked for any later version, SWF 6 one marked for SWF 7.
    if (version <= 5) {
        return !(flags & (PropFlag::OnlySwf6Up | PropFlag::OnlySwf7Up | PropFlag::OnlySwf8Up | PropFlag::OnlySwf9Up));
    }
    if (version == 6) return !(flags & PropFlag::OnlySwf7Up);
    return true;
}

// --- PropertyMap ---

int PropertyMap::find(const String& name, bool caseSensitive) const
{
    if (buckets_.empty()) {
        for (std::size_t i = 0; i < slots_.size(); ++i) {
            const Property& p = slots_[i];
            if (!p.deleted_ && p.name.equals(name, caseSensitive)) return static_cast<int>(i);
        }
        return -1;
    }
    std::size_t b = name.foldedHash() & (buckets_.size() - 1);
    for (std::int32_t i = buckets_[b]; i >= 0; i = slots_[static_cast<std::size_t>(i)].next_) {
        const Property& p = slots_[static_cast<std::size_t>(i)];
        if (p.name.equals(name, caseSensitive)) return i;
    }
    return -1;
}

int PropertyMap::add(String name, Value value, std::uint16_t flags)
{
    Property p;
    p.name = std::move(name);
    p.value = std::move(value);
    p.flags = flags;
    slots_.push_back(std::move(p));
    ++live_;
    int index = static_cast<int>(slots_.size() - 1);
    if (!buckets_.empty() && slots_.size() > buckets_.size()) {
        rebuild();
    } else if (!buckets_.empty()) {
        link(index);
    } else if (slots_.size() > kIndexThreshold) {
        rebuild();
    }
    return index;
}

void PropertyMap::remove(int index)
{
    Property& p = slots_[static_cast<std::size_t>(index)];
    if (p.deleted_) return;
    if (!buckets_.empty()) {
        std::size_t b = p.name.foldedHash() & (buckets_.size() - 1);
        std::int32_t* link = &buckets_[b];
        while (*link >= 0 && *link != index) link = &slots_[static_cast<std::size_t>(*link)].next_;
        if (*link == index) *link = p.next_;
    }
    p.deleted_ = true;
    p.value = Value();
    p.getter = p.setter = nullptr;
    --live_;
    // Compact once deleted slots dominate, keeping insertion order.
    if (slots_.size() > 16 && live_ * 2 < slots_.size()) {
        slots_.erase(std::remove_if(slots_.begin(), slots_.end(), [](const Property& q) { return q.deleted_; }),
                     slots_.end());
        rebuild();
    }
}

void PropertyMap::rebuild()
{
    if (slots_.size() <= kIndexThreshold) {
        buckets_.clear();
        return;
    }
    std::size_t n = 16;
    while (n < slots_.size() * 2) n *= 2;
    buckets_.assign(n, -1);
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        if (!slots_[i].deleted_) link(static_cast<int>(i));
    }
}

void PropertyMap::link(int index)
{
    Property& p = slots_[static_cast<std::size_t>(index)];
    std::size_t b = p.name.foldedHash() & (buckets_.size() - 1);
    // Append at the chain's end so that the first match is the oldest property.
    p.next_ = -1;
    std::int32_t* link = &buckets_[b];
    while (*link >= 0) link = &slots_[static_cast<std::size_t>(*link)].next_;
    *link = index;
}

// --- Object ---

void Object::define(const String& name, const Value& value, std::uint16_t flags)
{
    int i = props_.find(name, true);
    if (i < 0) {
        props_.add(name, value, flags);
        return;
    }
    Property& p = props_.at(i);
    p.value = value;
    p.getter = p.setter = nullptr;
    p.flags = flags;
}

void Object::traceChildren(Tracer& t) const
{
    t.mark(proto_);
    t.mark(protoSlot_.value);
    t.mark(protoSlot_.getter);
    t.mark(protoSlot_.setter);
    props_.forEach([&](const Property& p) {
        t.mark(p.value);
        t.mark(p.getter);
        t.mark(p.setter);
    });
    for (const Watch& w : watches_) {
        t.mark(w.callback);
        t.mark(w.userData);
    }
    if (interfaces_) {
        for (Object* o : *interfaces_) t.mark(o);
    }
}

void FunctionObject::traceChildren(Tracer& t) const
{
    Object::traceChildren(t);
    t.mark(scope);
    t.mark(target);
}

// --- ArrayObject ---

void ArrayObject::set(std::size_t i, Value v)
{
    if (i >= 4294967295u) return;
    if (i < dense_.size()) {
        dense_[i] = Slot{std::move(v), true};
    } else if (i < dense_.size() + kDenseGap && sparse_.empty()) {
        dense_.resize(i + 1);
        dense_[i] = Slot{std::move(v), true};
    } else {
        sparse_[i] = std::move(v);
    }
    if (i >= length_) length_ = i + 1;
}

Value ArrayObject::get(std::size_t i) const
{
    if (i < dense_.size()) return dense_[i].present ? dense_[i].value : Value();
    auto it = sparse_.find(i);
    return it == sparse_.end() ? Value() : it->second;
}

bool ArrayObject::has(std::size_t i) const
{
    if (i < dense_.size()) return dense_[i].present;
    return sparse_.count(i) != 0;
}

void ArrayObject::erase(std::size_t i)
{
    if (i < dense_.size()) {
        dense_[i] = Slot{};
    } else {
        sparse_.erase(i);
    }
}

void ArrayObject::setLength(std::size_t n)
{
    if (n > 4294967295u) n = 4294967295u;
    if (n < dense_.size()) dense_.resize(n);
    sparse_.erase(sparse_.lower_bound(n), sparse_.end());
    length_ = n;
}

void ArrayObject::clear()
{
    dense_.clear();
    sparse_.clear();
    length_ = 0;
}

std::vector<Value> ArrayObject::values() const
{
    std::vector<Value> out;
    std::size_t n = std::min(length_, kMaxIterableLength);
    out.reserve(n);
    for (std::size_t i = 0; i < n; ++i) out.push_back(get(i));
    return out;
}

void ArrayObject::assign(std::vector<Value> v)
{
    sparse_.clear();
    dense_.clear();
    dense_.reserve(v.size());
    for (Value& x : v) dense_.push_back(Slot{std::move(x), true});
    length_ = dense_.size();
}

std::vector<std::size_t> ArrayObject::presentIndices() const
{
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < dense_.size(); ++i) {
        if (dense_[i].present) out.push_back(i);
    }
    for (const auto& [i, v] : sparse_) out.push_back(i);
    return out;
}

std::int64_t ArrayObject::parseIndex(const String& name)
{
    std::u16string_view s = name.view();
    if (s.empty() || s.size() > 10) return -1;
    if (s.size() > 1 && s[0] == u'0') return -1;
    std::int64_t v = 0;
    for (char16_t c : s) {
        if (c < u'0' || c > u'9') return -1;
        v = v * 10 + (c - u'0');
    }
    return v < 4294967295LL ? v : -1;
}

void ArrayObject::traceChildren(Tracer& t) const
{
    Object::traceChildren(t);
    for (const Slot& s : dense_) t.mark(s.value);
    for (const auto& [i, v] : sparse_) t.mark(v);
}

}  // namespace swf::avm1
