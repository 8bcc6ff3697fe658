#include "MosquittoBroker.h"

#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>

#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <fstream>

bool MosquittoBroker::Available() {
    return QFile::exists(Program);
}

MosquittoBroker::MosquittoBroker() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    m_port = probe.serverPort();
}

MosquittoBroker::~MosquittoBroker() {
    Stop();
}

void MosquittoBroker::RequireUser(const std::string& user, const std::string& password) {
    m_passwordFile = (m_folder.Path() / "passwords").string();
    QProcess::execute("/usr/bin/mosquitto_passwd",
                      {"-b", "-c", QString::fromStdString(m_passwordFile),
                       QString::fromStdString(user), QString::fromStdString(password)});
}

bool MosquittoBroker::Start() {
    const std::string config = (m_folder.Path() / "mosquitto.conf").string();
    {
        std::ofstream out(config);
        // Started by root, the broker would switch to its own user, which
        // cannot read the test's private folder.
        const passwd* self = ::getpwuid(::geteuid());
        if (self != nullptr) {
            out << "user " << self->pw_name << "\n";
        }
        out << "listener " << m_port << " 127.0.0.1\n"
            << "persistence true\n"
            << "persistence_location " << m_folder.Path().string() << "/\n"
            << "log_dest none\n";
        if (m_passwordFile.empty()) {
            out << "allow_anonymous true\n";
        } else {
            out << "allow_anonymous false\npassword_file " << m_passwordFile << "\n";
        }
    }
    m_process = std::make_unique<QProcess>();
    m_process->setStandardErrorFile(QProcess::nullDevice());
    m_process->start(Program, {"-c", QString::fromStdString(config)});
    if (!m_process->waitForStarted(5000)) {
        return false;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, m_port);
        if (probe.waitForConnected(100)) {
            return true;
        }
        if (m_process->waitForFinished(50)) {
            return false;
        }
    }
    return false;
}

void MosquittoBroker::Pause() {
    if (m_process != nullptr) {
        ::kill(static_cast<pid_t>(m_process->processId()), SIGSTOP);
    }
}

void MosquittoBroker::Resume() {
    if (m_process != nullptr) {
        ::kill(static_cast<pid_t>(m_process->processId()), SIGCONT);
    }
}

void MosquittoBroker::Stop() {
    if (m_process == nullptr) {
        return;
    }
    Resume();
    m_process->terminate();
    if (!m_process->waitForFinished(5000)) {
        m_process->kill();
        m_process->waitForFinished(5000);
    }
    m_process.reset();
}
