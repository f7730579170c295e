// The floors the ticker's start-up and memory are measured against, in a
// program of their own that links Qt Widgets and nothing else:
//   --bare    a plain Qt window
//   --label   a frameless Qt window with one text label: the fair floor for
//             a program that shows text (fontconfig loaded)
//   --stay    keep running after the first paint
#include "first_paint.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <cstring>

int main(int argc, char** argv)
{
    const bool label = argc > 1 && std::strcmp(argv[1], "--label") == 0;
    const bool stay = argc > 2 && std::strcmp(argv[2], "--stay") == 0;
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication app(argc, argv);
    FirstPaint watcher(
        [](QObject* o) {
            auto* w = qobject_cast<QWidget*>(o);
            return w && w->isWindow();
        },
        stay);
    QWidget window(nullptr, label ? Qt::FramelessWindowHint : Qt::WindowFlags());
    window.resize(210, 116);
    if (label)
        new QLabel(QStringLiteral("IBM 112.45 +1.25"), &window);
    window.show();
    return QApplication::exec();
}
