#pragma once
// A MariaDB server of one test program's own, for tests that stop or kill it (the fixture's
// server is shared with other programs and must stay up). It is loaded with the test databases
// as the fixture loads them (tests/servidor/prepara.sh) and listens on a port next to the
// fixture's and on a socket under the temporary folder.
//
// Test programs run side by side and each may stop its server and start it again on the same
// port: a port is therefore held by a lock file for as long as its owner lives, so another test
// program never takes it while it is free for a moment.

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stop_token>
#include <thread>

#include "../db/ServidorPrueba.h"
#include "AyudaVentana.h"

namespace quilmaro::prueba {

class ServidorPropio {
  public:
    // Starts the server and loads the databases; valido() tells whether it worked.
    ServidorPropio()
        : dir_(QDir::tempPath() + QStringLiteral("/quilmaro-fallas-%1").arg(getpid())) {
        const int base = qEnvironmentVariableIntValue("MYSQL_TCP_PORT");
        for (int i = 4; i < 24 && puerto_.isEmpty(); ++i) {
            const QString p = QString::number(base + i);
            if (!reserva(p))
                continue;  // another test program's
            if (ejecuta(QStringLiteral("bash"),
                        {raiz() + QStringLiteral("/tests/servidor/prepara.sh"), dir_, p, raiz()}) ==
                0) {
                puerto_ = p;
            } else {
                detiene();  // the port was taken by something else: the next one
                libera();
            }
        }
    }
    ~ServidorPropio() {
        descongela();
        detiene();
        QDir(dir_).removeRecursively();
        libera();
    }
    ServidorPropio(const ServidorPropio&) = delete;
    ServidorPropio& operator=(const ServidorPropio&) = delete;

    bool valido() const { return !puerto_.isEmpty(); }
    const QString& carpeta() const { return dir_; }
    QString socket() const { return dir_ + QStringLiteral("/mariadb.sock"); }

    // Starts it again on its data (nothing happens when it is running); 0 on success. A server
    // just killed may leave its port busy for a moment in the kernel: a few tries.
    int inicia() const {
        int r = -1;
        for (int i = 0; i < 5 && r != 0; ++i) {
            if (i > 0)
                QThread::msleep(1000);
            r = ejecutaScript(QStringLiteral("mariadb-start.sh"), {dir_, puerto_});
        }
        return r;
    }
    // Stops it in order, as an administrator would; 0 on success.
    int detiene() const { return ejecutaScript(QStringLiteral("mariadb-stop.sh"), {dir_}); }
    // Kills it outright, as a crash or a power cut on the server would; 0 once it is gone, its
    // connections closed: the socket refuses new ones. (The process's command line empties
    // before its threads have closed their files, so that is no sign.)
    int mata() const {
        const QString pid = QString::number(proceso());
        if (ejecuta(QStringLiteral("kill"), {QStringLiteral("-KILL"), pid}) != 0)
            return -1;
        for (int i = 0; i < 100; ++i) {
            if (!aceptaConexiones())
                return 0;
            QThread::msleep(50);
        }
        return -1;
    }

    // Stops its process (SIGSTOP), as a hung machine or a silent network would: connections stay
    // open and nothing answers. It goes on by itself after maximoMs at the latest, so that a
    // program that would wait for ever makes its test fail instead of hanging it.
    bool congela(int maximoMs) {
        descongela();
        const pid_t pid = proceso();
        if (pid <= 0 || !esServidor(pid) || ::kill(pid, SIGSTOP) != 0)
            return false;
        guardia_ = std::jthread([pid, maximoMs](std::stop_token alto) {
            std::mutex m;
            std::condition_variable_any cv;
            std::unique_lock<std::mutex> l(m);
            cv.wait_for(l, alto, std::chrono::milliseconds(maximoMs), [] { return false; });
            ::kill(pid, SIGCONT);
        });
        // The signal is delivered in the background: the test goes on only once every thread of
        // the server has stopped, or a statement sent at once could still be answered.
        for (int i = 0; i < 200; ++i) {
            if (estado(pid) == 'T')
                return true;
            QThread::msleep(10);
        }
        return false;
    }
    void descongela() {
        if (guardia_.joinable()) {
            guardia_.request_stop();
            guardia_.join();
        }
    }

    // A connection to one of its databases.
    std::shared_ptr<Conexion> conecta(const QString& base) const {
        auto c = Conexion::crea();
        c->setCadenaConexion(
            QStringLiteral("DATABASE=%1;UID=root;PWD=;SOCKET=%2;").arg(base, socket()));
        c->abre();
        return c;
    }

  private:
    // The state letter of /proc/PID/stat (R, S, T, ...), or 0.
    static char estado(pid_t pid) {
        QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!f.open(QIODevice::ReadOnly))
            return 0;
        const QByteArray s = f.readAll();
        const qsizetype fin = s.lastIndexOf(')');
        return fin >= 0 && fin + 2 < s.size() ? s.at(fin + 2) : 0;
    }
    // Whether PID is a server of this test's data folder, not a stale pid taken by another.
    bool esServidor(pid_t pid) const {
        QFile f(QStringLiteral("/proc/%1/cmdline").arg(pid));
        return f.open(QIODevice::ReadOnly) &&
               f.readAll().replace('\0', ' ').contains(QFile::encodeName(dir_ + "/datos "));
    }
    pid_t proceso() const {
        QFile f(dir_ + QStringLiteral("/mariadb.pid"));
        return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()).trimmed().toInt() : 0;
    }
    // Whether it takes a connection on its socket.
    bool aceptaConexiones() const {
        try {
            conecta(QStringLiteral("mysql"));
            return true;
        } catch (const std::exception&) {
            return false;
        }
    }
    // The project's source folder (the scripts folder's parent).
    static QString raiz() {
        return QDir(qEnvironmentVariable("QUILMARO_SCRIPTS") + QStringLiteral("/.."))
            .absolutePath();
    }
    // Runs a command; its exit code (-1 when it did not end normally). Its output goes to the
    // test's log.
    static int ejecuta(const QString& programa, const QStringList& argumentos) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(programa, argumentos);
        if (!p.waitForFinished(180000))
            return -1;
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    // Holds PORT for this object by an exclusive lock on a file named after it; false when
    // another test program holds it.
    bool reserva(const QString& puerto) {
        const QByteArray nombre = QFile::encodeName(
            QDir::tempPath() + QStringLiteral("/quilmaro-puerto-%1.lock").arg(puerto));
        bloqueo_ = ::open(nombre.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (bloqueo_ < 0)
            return false;
        if (::flock(bloqueo_, LOCK_EX | LOCK_NB) != 0) {
            libera();
            return false;
        }
        return true;
    }
    void libera() {
        if (bloqueo_ >= 0)
            ::close(bloqueo_);  // the lock goes with the descriptor
        bloqueo_ = -1;
    }

    QString dir_;
    QString puerto_;
    int bloqueo_ = -1;
    std::jthread guardia_;
};

// A window test on a server of the test program's own: started once for the suite, started
// again before each test (one may have stopped it), its socket the one the window connects to,
// and the program folder filled.
class PruebaVentanaServidorPropio : public PruebaVentana {
  protected:
    static void SetUpTestSuite() { servidor_ = std::make_unique<ServidorPropio>(); }
    static void TearDownTestSuite() { servidor_.reset(); }
    void SetUp() override {
        ASSERT_TRUE(servidor_->valido())
            << "the test's own server did not start in " << servidor_->carpeta().toStdString();
        PruebaVentana::SetUp();
        ASSERT_EQ(servidor_->inicia(), 0);
        socket_.emplace("MYSQL_UNIX_PORT", servidor_->socket().toUtf8());
        copiaPrograma(carpeta);
    }
    void TearDown() override {
        servidor_->descongela();
        plataforma.alProcesarEventos = nullptr;
        plataforma.alMostrarMensaje = nullptr;
        socket_.reset();
    }

    static inline std::unique_ptr<ServidorPropio> servidor_;
    std::optional<VariableDeEntorno> socket_;
};

}  // namespace quilmaro::prueba
