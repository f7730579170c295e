#include "resizer.h"

#include "core/numbers.h"

#include <algorithm>

namespace quoterra {

namespace {

qint32 toLong(double value)
{
    return qint32(roundHalfEven(value));
}

} // namespace

std::vector<rObjects::Entry>::const_iterator rObjects::find(const QString& key) const
{
    return std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) {
        return !e.key.isEmpty() && e.key.compare(key, Qt::CaseInsensitive) == 0;
    });
}

void rObjects::Add(qint32 width, qint32 height, qint32 top, qint32 left, const QString& key)
{
    if (find(key) == entries_.end())
        entries_.push_back(Entry{key, rObject{height, width, top, left}});
}

const rObject* rObjects::Item(const QString& key) const
{
    const auto it = find(key);
    return it == entries_.end() ? nullptr : &it->object;
}

bool Resizer::CaptureLayout(const WindowLayout* window)
{
    if (!window) {
        recorded_ = false;
        return false;
    }
    recordedHeight_ = toLong(window->height);
    recordedWidth_ = toLong(window->width);
    // A second control of the same name keeps the first one's record.
    for (const auto& c : window->controls)
        objects_.Add(toLong(c.width), toLong(c.height), toLong(c.top), toLong(c.left), c.name);
    recorded_ = true;
    return true;
}

bool Resizer::Resize(WindowLayout* window)
{
    if (!recorded_ && !CaptureLayout(window)) {
        emit ResizeError(QStringLiteral("RError: Object does not support this property or method"), 438);
        return false;
    }
    if (!window)
        return false;
    const qint32 height = toLong(window->height);
    const qint32 width = toLong(window->width);
    heightFactor_ = recordedHeight_ != 0 ? float(double(height) / recordedHeight_) : 1.0f;
    const float widthFactor = recordedWidth_ != 0 ? float(double(width) / recordedWidth_) : 1.0f;
    for (auto& c : window->controls) {
        const rObject* o = objects_.Item(c.name);
        if (!o)
            continue;
        c.height = float(double(heightFactor_) * o->oHeight);
        c.width = float(double(widthFactor) * o->oWidth);
        c.top = float(double(heightFactor_) * o->oTop);
        c.left = float(double(widthFactor) * o->oLeft);
    }
    return true;
}

} // namespace quoterra
