#pragma once

#include <QObject>
#include <QString>

#include <vector>

namespace quoterra {

// One control's recorded geometry, in twips.
struct rObject {
    qint32 oHeight = 0;
    qint32 oWidth = 0;
    qint32 oTop = 0;
    qint32 oLeft = 0;
};

// Recorded geometries keyed by control name (compared without case, as
// control names are), walked in insertion order.
class rObjects {
public:
    // A key already present keeps its first record; an empty key never clashes.
    void Add(qint32 width, qint32 height, qint32 top, qint32 left, const QString& key);
    // nullptr for an unknown key.
    const rObject* Item(const QString& key) const;

private:
    struct Entry {
        QString key;
        rObject object;
    };
    std::vector<Entry>::const_iterator find(const QString& key) const;
    std::vector<Entry> entries_;
};

// A window as the resizer sees it: its size and its controls, in twips.
struct WindowLayout {
    struct Control {
        QString name;
        float left = 0, top = 0, width = 0, height = 0;
    };
    float width = 0;
    float height = 0;
    std::vector<Control> controls;
};

// Keeps a window's controls in proportion with the window: the first Resize
// records the layout, every later one scales each control by the window's
// growth since that recording (never since the last resize, so repeated
// resizes do not pile up rounding).
class Resizer : public QObject {
    Q_OBJECT
public:
    // Scales the controls of `window` in place; false, with ResizeError,
    // when there is no window to record.
    bool Resize(WindowLayout* window);
    bool recorded() const { return recorded_; }
    float heightFactor() const { return heightFactor_; }

signals:
    void ResizeError(const QString& message, int number);

private:
    bool CaptureLayout(const WindowLayout* window);

    rObjects objects_;
    qint32 recordedHeight_ = 0;
    qint32 recordedWidth_ = 0;
    float heightFactor_ = 1;
    bool recorded_ = false;
};

} // namespace quoterra
