#pragma once

// Everything a test of this program needs, in one place.
#include "fake_source.h"
#include "service_process.h"

#include "core/screen.h"
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <csignal>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

using namespace Qt::StringLiterals;

// Readable failure messages for texts.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace quoterra::test {

// A test name from a row's description: "top at 125" -> "TopAt125".
std::string testName(std::string_view what);
// Names the rows of a parameterised test by their `what`, so a failure says
// which row and --gtest_filter=*/TopAt125 runs one.
template <class Row> std::string rowName(const ::testing::TestParamInfo<Row>& info)
{
    return testName(info.param.what);
}

// A screen of the test's choosing: 1024 x 738 pixels of work area at 96 dpi
// and device pixel ratio 1 unless told otherwise.
class FakeScreen : public Screen {
public:
    explicit FakeScreen(int dots = 96, QRect workArea = QRect(0, 0, 1024, 738))
        : dpi(dots)
        , area(workArea)
    {
    }
    int dpiX() const override { return dpi; }
    int dpiY() const override { return dpi; }
    QRect workArea() const override { return area; }
    QPoint cursorPos() const override { return cursor; }
    double devicePixelRatio() const override { return ratio; }

    int dpi;
    QRect area;
    QPoint cursor;
    double ratio = 1.0;
};

// A throw-away profile: a settings folder and an application directory.
class TestProfile {
public:
    TestProfile();
    QString root() const { return root_.path(); }
    QString configHome() const { return root_.path() + u"/config"_s; }
    QString appDir() const { return root_.path() + u"/home"_s; }
    QString registryFile() const { return configHome() + u"/Quoterra/registry.ini"_s; }
    QString symbolFile() const { return appDir() + u"/stockdata.std"_s; }
    // Writes the settings file as a person would.
    void writeSettings(const QByteArray& text) const;
    void writeSymbols(const QList<QPair<QString, QString>>& entries) const;
    // A value as the settings file on disk holds it.
    QString setting(const QString& section, const QString& name) const;

private:
    QTemporaryDir root_;
};

// Lets events run until `condition` holds or `ms` pass; says which.
bool waitUntil(const std::function<bool()>& condition, int ms = 5000);

QByteArray readFile(const QString& path);
// An answer as recorded in tests/data, by its path there.
std::string recorded(const std::string& name);
// IBM's recorded session (chart-json/ibm-1d.json) as a quote line: Friday
// 10 May 2024 at the close, 0.88 above the previous close.
inline const char* const kIbmLine = R"("IBM",167.15,"5/10/2024","4:00pm",+0.88,167.50,168.22,166.71,2587393)";

// Eight times: runs this program's `filter` tests in a child with `variable`
// set to `value`, kills it `round * stepMs` ms after `started` holds, and
// checks what it left.
void killWhileWriting(const char* variable, const QString& value, const char* filter,
                      const std::function<bool()>& started, int stepMs, const std::function<void(int round)>& check);

// The quote services of this build running for the user whose runtime
// folder is `runtimeFolder` (zombies aside).
QList<qint64> servicesOf(const QString& runtimeFolder);
quint16 freePort();
QString originOf(const FakeSource& server);
// Memory of a process in KiB, 0 when unknown: resident now (VmRSS:), or its
// peak (VmHWM:).
long residentKiB(qint64 pid, const char* field = "VmRSS:");
// Starts this process's peak again from what is resident now.
void resetPeakMemory();
// The address the ticker asks a quote at.
inline QByteArray quoteTarget(const QByteArray& symbol)
{
    return "/d/quotes.csv?s=" + symbol + "&f=sl1d1t1c1ohgv&e=.csv";
}

} // namespace quoterra::test
