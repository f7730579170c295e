#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <thread>

namespace quoterra {

// The quote service on this machine that the program uses when
// QUOTERRA_SERVICE names none: found answering, or started from beside the
// program (or from its install's libexec) and waited for a short while.
class BundledService {
public:
    enum class State {
        Answering, // a quoterra-service answers at the origin
        Starting,  // started, by us or by another ticker, and not answering yet
        Foreign,   // another program holds the port
        Missing,   // nothing answers and there is no service program to start
    };
    struct Outcome {
        State state;
        QString message; // for the user, when Foreign or Missing
    };

    // `origin` is "http://HOST:PORT"; `programs` the places to look for the
    // service, first found first.
    BundledService(QString origin, QStringList programs);
    // Where a ticker in `programDir` looks for its service.
    static QStringList besideProgram(const QString& programDir);

    // Asks the origin; starts the service when nothing answers there, and
    // waits at most `bound` for it to answer.
    Outcome ensure(std::chrono::milliseconds bound) const;

private:
    enum class Probe { Ours, Nobody, Foreign };
    Probe probe() const;
    bool start(const QString& program) const;

    QString origin_;
    QStringList programs_;
};

// Keeps the bundled service alive (it ends itself when idle) and brings it
// back if it went away, while the program runs. The default interval is
// well inside the service's default idle time.
class ServiceKeeper : public QObject {
public:
    explicit ServiceKeeper(BundledService service, std::chrono::milliseconds interval = std::chrono::minutes(4),
                           QObject* parent = nullptr);
    ~ServiceKeeper() override;

private:
    BundledService service_;
    QTimer timer_;
    std::thread worker_; // off the window thread: a starting service must not freeze it
    std::atomic<bool> busy_ = false;
};

} // namespace quoterra
