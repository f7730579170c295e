#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// Starts quoterra-service on an ephemeral loopback port for one test and
// stops it again at the end, with its control endpoints on. The market is
// the simulated one with seed 1 unless extraArgs say otherwise.
class ServiceProcess {
public:
    enum class Control { On, Off }; // Off: started as a user starts it
    explicit ServiceProcess(const QStringList& extraArgs = {}, Control control = Control::On);
    ~ServiceProcess();
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    bool isRunning() const;
    QString origin() const; // "http://127.0.0.1:PORT"
    quint16 port() const;
    qint64 processId() const { return m_process.processId(); }

    // Targets of every request so far but the control ones, in arrival order.
    QStringList requests() const;
    // The next `count` quote, chart and version answers fail with 503.
    void failNext(int count);
    // Clears the request log and pending failures.
    void reset();
    // Ends the service, for "service down" cases; origin() stays valid.
    void stop();
    // Waits for the service to end by itself; its exit code, -1 if it did
    // not end in time or crashed.
    int waitForExit(int timeoutMs);

    // One blocking HTTP/1.1 exchange with the service; status -1 when there
    // was no answer.
    struct Answer {
        int status = -1;
        QByteArray body;
    };
    Answer exchange(const QByteArray& method, const QByteArray& target) const;

private:
    QProcess m_process;
    quint16 m_port = 0;
};
