#include "test_support.h"

#include "fake_source.h"

#include "core/registry.h"
#include "symbols/file/symbol_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpServer>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

namespace quoterra::test {

TestProfile::TestProfile()
{
    QDir().mkpath(configHome() + u"/Quoterra"_s);
    QDir().mkpath(appDir());
}

void TestProfile::writeSettings(const QByteArray& text) const
{
    QFile f(registryFile());
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(text);
}

void TestProfile::writeSymbols(const QList<QPair<QString, QString>>& entries) const
{
    QFile f(symbolFile());
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    for (const auto& [symbol, name] : entries)
        f.write(encodeRecord(SymbolEntry{symbol, name}));
}

QString TestProfile::setting(const QString& section, const QString& name) const
{
    return RegistryDocument::parse(readFile(registryFile())).value(section, name).value_or(u"<missing>"_s);
}

std::string testName(std::string_view what)
{
    std::string name;
    bool upper = true;
    for (const char ch : what) {
        const bool alnum = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9');
        if (!alnum) {
            upper = upper || ch != '\''; // "browser's" is one word
            continue;
        }
        name += upper && ch >= 'a' && ch <= 'z' ? char(ch - 'a' + 'A') : ch;
        upper = false;
    }
    return name;
}

bool waitUntil(const std::function<bool()>& condition, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

void killWhileWriting(const char* variable, const QString& value, const char* filter,
                      const std::function<bool()>& started, int stepMs, const std::function<void(int round)>& check)
{
    for (int round = 0; round < 8; ++round) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QLatin1String(variable), value);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {u"--gtest_filter="_s + QLatin1String(filter)});
        ASSERT_TRUE(child.waitForStarted());
        ASSERT_TRUE(waitUntil(started, 10000));
        QThread::msleep(round * stepMs);
        ::kill(pid_t(child.processId()), SIGKILL);
        child.waitForFinished();
        check(round);
    }
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::string recorded(const std::string& name)
{
    const QByteArray text = readFile(QStringLiteral(QUOTERRA_TEST_DATA "/") + QString::fromStdString(name));
    if (text.isEmpty())
        ADD_FAILURE() << "no recorded answer " << name;
    return text.toStdString();
}

QList<qint64> servicesOf(const QString& runtimeFolder)
{
    const QString program = QFileInfo(QStringLiteral(QUOTERRA_SERVICE_BIN)).canonicalFilePath();
    const QByteArray runtime = "XDG_RUNTIME_DIR=" + QFile::encodeName(runtimeFolder) + '\0';
    QList<qint64> found;
    QDirIterator proc(u"/proc"_s, QDir::Dirs | QDir::NoDotAndDotDot);
    while (proc.hasNext()) {
        const QString dir = proc.next();
        bool number = false;
        const qint64 pid = QFileInfo(dir).fileName().toLongLong(&number);
        if (number && QFileInfo(dir + u"/exe"_s).canonicalFilePath() == program
            && !readFile(dir + u"/stat"_s).contains(") Z ") && readFile(dir + u"/environ"_s).contains(runtime))
            found << pid;
    }
    return found;
}

QString originOf(const FakeSource& server)
{
    return QString::fromStdString(server.origin());
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

long residentKiB(qint64 pid, const char* field)
{
    for (const QByteArray& line : readFile(u"/proc/%1/status"_s.arg(pid)).split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').first().toLong();
    return 0;
}

void resetPeakMemory()
{
    QFile clearRefs(u"/proc/self/clear_refs"_s);
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
}

} // namespace quoterra::test
