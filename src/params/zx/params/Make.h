#pragma once

// Short forms for writing declarations: controls by kind, parameters by
// category, and the modifiers a few of them need.

#include "zx/params/Param.h"

namespace zx::params::make {

using Items = std::array<Text, 8>;

constexpr Control check(const char* name, Text caption) {
    return {.name = name, .kind = Kind::Check, .caption = caption};
}
constexpr Control checks(const char* name, Items captions) {
    return {.name = name, .kind = Kind::Checks, .items = captions};
}
constexpr Control options(const char* name, Items captions, Text label = nullptr) {
    return {.name = name, .kind = Kind::Options, .caption = label, .items = captions};
}
// Option buttons with names of their own instead of "Name(i)".
constexpr Control named(std::array<const char*, 3> members, Items captions, Text label) {
    return {.name = members[0],
            .kind = Kind::Options,
            .caption = label,
            .items = captions,
            .members = members};
}
constexpr Control combo(const char* name, Text label, Items items,
                        const char* labelName = nullptr) {
    return {.name = name,
            .kind = Kind::Combo,
            .caption = label,
            .items = items,
            .labelName = labelName};
}
constexpr Control textBox(const char* name, Text label, int maxLength, int chars = 0,
                          const char* labelName = nullptr) {
    return {.name = name,
            .kind = Kind::Text,
            .caption = label,
            .labelName = labelName,
            .maxLength = maxLength,
            .chars = chars};
}
constexpr Control number(const char* name, Text label, qint32 lower, qint32 upper,
                         bool spin = false, const char* labelName = nullptr) {
    return {.name = name,
            .kind = Kind::Number,
            .caption = label,
            .labelName = labelName,
            .lower = lower,
            .upper = upper,
            .spin = spin};
}
constexpr Control display(const char* name, Text label, const char* labelName = nullptr,
                          int chars = 0) {
    return {.name = name,
            .kind = Kind::Display,
            .caption = label,
            .labelName = labelName,
            .chars = chars};
}

constexpr Param param(Cat cat, const char* key, const char* def, Control control, Codec codec) {
    return {.cat = cat, .key = key, .def = def, .control = control, .codec = codec};
}

constexpr Param locked(Param p, Lock lock, Text note = nullptr) {
    p.lock = lock;
    p.note = note;
    return p;
}
// Enabled only while `other` is ticked; `cleared`: unticked when it is unticked.
constexpr Param needing(Param p, const Param& other, bool cleared = false) {
    p.lock = Lock::Needs;
    p.needs = &other;
    p.clearedWithout = cleared;
    return p;
}
constexpr Param writtenBy(Param p, Write write) {
    p.write = write;
    return p;
}
constexpr Param watched(Param p, Text description = kCaption) {
    p.watch = description;
    return p;
}
constexpr Param noted(Param p, Text note) {
    p.note = note;
    return p;
}

}  // namespace zx::params::make
