#pragma once

#include "hosts.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <thread>

namespace quoterra {

// The user's own quote service: it announces where it listens, with a
// token its answers carry, in the user's private runtime folder; when none
// answers there it is started from beside the program (or from its
// install's libexec) and waited for a short while. Another user cannot write
// there, so cannot pose as it.
class BundledService {
public:
    enum class State {
        Answering, // the announced service answers with its token
        Starting,  // started, by us or by another ticker, and not answering yet
        Missing,   // nothing answers and there is no service program to start
        Unusable,  // the runtime folder is not private to the user
    };
    struct Found {
        State state = State::Starting;
        QString origin;   // where it answers, when Answering
        QByteArray token; // what its answers carry
        QString message;  // for the user, when Missing or Unusable
    };

    // `programs`: the places to look for the service, first found first.
    explicit BundledService(QStringList programs);
    // Where a ticker in `programDir` looks for its service.
    static QStringList besideProgram(const QString& programDir);

    // The announced service when it answers with its token; otherwise one is
    // started and waited for, at most `bound`.
    Found ensure(std::chrono::milliseconds bound) const;

private:
    Found announced() const;
    bool start(const QString& program) const;

    QStringList programs_;
};

// The quote service every outside address leads to, for the program's whole
// run: the one QUOTERRA_SERVICE names, used as it is; or the user's own,
// kept alive (it ends itself when idle), looked for again at once when it
// stops answering, and never believed without its token.
class ServiceLink : public QObject {
    Q_OBJECT
public:
    // The service the user named.
    explicit ServiceLink(const QString& namedOrigin, QObject* parent = nullptr);
    // The user's own, found or started now (waiting at most `bound`), then
    // asked every `interval`, well inside its idle time.
    ServiceLink(BundledService service, std::chrono::milliseconds bound,
                std::chrono::milliseconds interval = std::chrono::minutes(4), QObject* parent = nullptr);
    ~ServiceLink() override; // waits for a search under way

    // The header every answer of the user's own service carries its token in.
    static QByteArray tokenHeader();

    const ServiceHosts& hosts() const { return hosts_; }
    // What the first search could not do, for the user; empty when it found one.
    QString problem() const { return problem_; }

    // Told of every quote answer: nothing listening makes it look for its
    // service at once; an answer without the service's token is another
    // program's. False when the answer must not be believed.
    bool answered(bool refused, const QByteArray& token);
    // False once another program answered in the service's place, until
    // the service is found again.
    bool trusted() const { return trusted_; }

signals:
    void hostsChanged();
    // Said once: another program answers where the service should.
    void foreignAnswer(const QString& message);

private:
    void use(const BundledService::Found& found);
    void lookAgain();

    ServiceHosts hosts_;
    bool named_ = false; // the user's choice: nothing is started or checked
    QByteArray token_;
    QString problem_;
    bool trusted_ = true;
    bool toldForeign_ = false;
    BundledService service_{{}};
    QTimer keeper_;
    std::thread worker_; // off the window thread: starting a service must not freeze it
    std::atomic<bool> busy_ = false;
};

} // namespace quoterra
