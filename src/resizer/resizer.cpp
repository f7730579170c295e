#include "resizer.h"

#include "platform/forms.h"
#include "platform/numbers.h"

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

rObject* rObjects::Add(qint32 width, qint32 height, qint32 top, qint32 left, const QString& key)
{
    if (!key.isEmpty() && find(key) != entries_.end())
        return nullptr;
    auto object = std::make_unique<rObject>();
    object->oWidth = width;
    object->oHeight = height;
    object->oTop = top;
    object->oLeft = left;
    rObject* raw = object.get();
    entries_.push_back(Entry{key, std::move(object)});
    return raw;
}

bool rObjects::Exists(const QString& key) const
{
    return !key.isEmpty() && find(key) != entries_.end();
}

rObject* rObjects::Item(const QString& key) const
{
    const auto it = find(key);
    return it == entries_.end() ? nullptr : it->object.get();
}

bool rObjects::Remove(const QString& key)
{
    const auto it = find(key);
    if (it == entries_.end())
        return false;
    entries_.erase(it);
    return true;
}

Resizer::Resizer(QObject* parent)
    : QObject(parent)
{
}

bool Resizer::CaptureLayout(QObject* window)
{
    auto* form = qobject_cast<Form*>(window);
    if (!form) {
        recorded_ = false;
        return false;
    }
    recordedHeight_ = toLong(form->Height());
    recordedWidth_ = toLong(form->Width());
    for (TwipsWidget* control : form->Controls()) {
        // A second control of the same name keeps the first one's record.
        objects_.Add(toLong(control->Width()), toLong(control->Height()), toLong(control->Top()),
                     toLong(control->Left()), control->Name());
    }
    recorded_ = true;
    return true;
}

bool Resizer::Resize(QObject* window)
{
    if (!recorded_ && !CaptureLayout(window)) {
        emit ResizeError(QStringLiteral("RError: Object does not support this property or method"), 438);
        return false;
    }
    auto* form = qobject_cast<Form*>(window);
    if (!form)
        return false;
    lastHeight_ = toLong(form->Height());
    lastWidth_ = toLong(form->Width());
    heightFactor_ = recordedHeight_ != 0 ? float(double(lastHeight_) / recordedHeight_) : 1.0f;
    widthFactor_ = recordedWidth_ != 0 ? float(double(lastWidth_) / recordedWidth_) : 1.0f;
    for (TwipsWidget* control : form->Controls()) {
        if (!objects_.Exists(control->Name()))
            continue;
        const rObject* o = objects_.Item(control->Name());
        control->setHeight(float(double(heightFactor_) * o->oHeight));
        control->setWidth(float(double(widthFactor_) * o->oWidth));
        control->setTop(float(double(heightFactor_) * o->oTop));
        control->setLeft(float(double(widthFactor_) * o->oLeft));
    }
    return true;
}

} // namespace quoterra
