#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

namespace quoterra {

// One control's recorded geometry, in twips.
class rObject {
public:
    qint32 oHeight = 0;
    qint32 oWidth = 0;
    qint32 oTop = 0;
    qint32 oLeft = 0;
};

// Recorded geometries keyed by control name (keys compare without case, as
// control names do), walked in insertion order.
class rObjects {
public:
    // nullptr when the key is already present.
    rObject* Add(qint32 width, qint32 height, qint32 top, qint32 left, const QString& key);
    bool Exists(const QString& key) const;
    // nullptr for an unknown key.
    rObject* Item(const QString& key) const;
    qint32 Count() const { return qint32(entries_.size()); }
    // false for an unknown key.
    bool Remove(const QString& key);

    auto begin() const { return entries_.begin(); }
    auto end() const { return entries_.end(); }

private:
    struct Entry {
        QString key;
        std::unique_ptr<rObject> object;
        rObject& operator*() const { return *object; }
    };
    std::vector<Entry>::const_iterator find(const QString& key) const;

    std::vector<Entry> entries_;
};

// Keeps a form's controls in proportion with the form: the first Resize
// records the layout, every later one scales each control by the form's
// growth since that recording (never since the last resize, so repeated
// resizes do not pile up rounding).
class Resizer : public QObject {
    Q_OBJECT
public:
    explicit Resizer(QObject* parent = nullptr);

    bool Resize(QObject* window);
    bool recorded() const { return recorded_; }
    const rObjects& layout() const { return objects_; }

signals:
    void ResizeError(const QString& message, int number);

private:
    bool CaptureLayout(QObject* window);

    rObjects objects_;
    qint32 recordedHeight_ = 0;
    qint32 recordedWidth_ = 0;
    qint32 lastHeight_ = 0;
    qint32 lastWidth_ = 0;
    float widthFactor_ = 1;
    float heightFactor_ = 1;
    bool recorded_ = false;
};

} // namespace quoterra
