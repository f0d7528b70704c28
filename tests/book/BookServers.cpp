#include "tests/book/BookServers.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <pwd.h>
#include <unistd.h>

namespace BookTest {

namespace {

const QString kBin = QStringLiteral("/usr/lib/postgresql/15/bin/");

struct Server {
    std::unique_ptr<QTemporaryDir> folder;
    bool running = false;
    QString why = QStringLiteral("not started");
    int databases = 0;
};

Server& TheServer()
{
    static Server server;
    return server;
}

// Runs a server program as the postgres user; its output on failure.
bool AsPostgres(const QString& program, const QStringList& args, QString& output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("runuser"),
                  QStringList{QStringLiteral("-u"), QStringLiteral("postgres"),
                              QStringLiteral("--"), kBin + program}
                      + args);
    if (!process.waitForFinished(120000)) {
        output = program + QStringLiteral(": ") + process.errorString();
        return false;
    }
    output = QString::fromLocal8Bit(process.readAll()).simplified();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool Administer(const QStringList& statements, QString& error)
{
    const QString name = QStringLiteral("tarnwell-test-admin");
    bool done = true;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        database.setHostName(TheServer().folder->path());
        database.setUserName(QStringLiteral("tarnwell"));
        database.setDatabaseName(QStringLiteral("postgres"));
        if (!database.open()) {
            error = database.lastError().text();
            done = false;
        }
        for (const QString& statement : statements) {
            if (!done)
                break;
            QSqlQuery query(database);
            if (!query.exec(statement)) {
                error = statement + QStringLiteral(": ") + query.lastError().text();
                done = false;
            }
        }
        database.close();
    }
    QSqlDatabase::removeDatabase(name);
    return done;
}

} // namespace

std::string DatabaseName(const ::testing::TestParamInfo<Database>& info)
{
    return info.param == Database::SQLite ? "SQLite" : "PostgreSQL";
}

PostgresServer* PostgresServer::Instance()
{
    static auto* server = new PostgresServer;
    return server;
}

void PostgresServer::SetUp()
{
    Server& server = TheServer();
    const passwd* postgres = getpwnam("postgres");
    if (!postgres || geteuid() != 0 || !QFile::exists(kBin + QStringLiteral("initdb"))) {
        server.why = QStringLiteral("the postgresql package and root (for runuser) are needed");
        return;
    }
    // The socket's path must stay short (about 100 bytes).
    server.folder = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/tarnwell-pg-XXXXXX"));
    const QString folder = server.folder->path();
    if (chown(QFile::encodeName(folder).constData(), postgres->pw_uid, postgres->pw_gid) != 0) {
        server.why = QStringLiteral("the server's folder cannot be given to postgres");
        return;
    }
    QString output;
    const QString data = folder + QStringLiteral("/data");
    if (!AsPostgres(QStringLiteral("initdb"),
                    {QStringLiteral("-D"), data, QStringLiteral("-A"), QStringLiteral("trust"),
                     QStringLiteral("-U"), QStringLiteral("tarnwell"), QStringLiteral("-N")},
                    output)) {
        server.why = QStringLiteral("initdb failed: ") + output;
        return;
    }
    if (!AsPostgres(QStringLiteral("pg_ctl"),
                    {QStringLiteral("-D"), data, QStringLiteral("-o"),
                     QStringLiteral("-k %1 -c listen_addresses='' -c fsync=off").arg(folder),
                     QStringLiteral("-l"), folder + QStringLiteral("/log"), QStringLiteral("-w"),
                     QStringLiteral("start")},
                    output)) {
        server.why = QStringLiteral("pg_ctl start failed: ") + output;
        return;
    }
    // Should this program die before its teardown, the server goes with it.
    QProcess watcher;
    watcher.setProgram(QStringLiteral("bash"));
    watcher.setArguments(
        {QStringLiteral("-c"),
         QStringLiteral("while kill -0 %1 2>/dev/null; do sleep 1; done; "
                        "runuser -u postgres -- %2pg_ctl -D %3 -m immediate stop; rm -rf %4")
             .arg(QCoreApplication::applicationPid())
             .arg(kBin, data, folder)});
    watcher.setStandardOutputFile(QProcess::nullDevice());
    watcher.setStandardErrorFile(QProcess::nullDevice());
    watcher.startDetached();
    server.running = true;
    QString error;
    if (!Administer({QStringLiteral("CREATE ROLE clerk LOGIN")}, error)) {
        server.why = error;
        server.running = false;
    }
}

void PostgresServer::TearDown()
{
    Server& server = TheServer();
    if (server.folder) {
        QString output;
        AsPostgres(QStringLiteral("pg_ctl"),
                   {QStringLiteral("-D"), server.folder->path() + QStringLiteral("/data"),
                    QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("stop")},
                   output);
    }
    server.running = false;
    server.folder.reset();
}

bool PostgresServer::Running()
{
    return TheServer().running;
}

QString PostgresServer::Why()
{
    return TheServer().why;
}

QString PostgresServer::SocketFolder()
{
    return TheServer().folder ? TheServer().folder->path() : QString();
}

QString PostgresServer::NewDatabase()
{
    const QString name = QStringLiteral("book%1").arg(++TheServer().databases);
    QString error;
    if (!Administer({QStringLiteral("CREATE DATABASE %1 OWNER clerk").arg(name)}, error))
        ADD_FAILURE() << error.toStdString();
    // The socket's folder percent-encoded as the host, as libpq reads it.
    return QStringLiteral("postgresql://clerk@%1/%2")
        .arg(QString::fromLatin1(QUrl::toPercentEncoding(SocketFolder())), name);
}

BookPlace::BookPlace(Database database)
{
    m_address = database == Database::SQLite ? m_folder.filePath(QStringLiteral("book.sqlite"))
                                             : PostgresServer::NewDatabase();
}

Book::BookLocation BookPlace::Location() const
{
    return std::get<Book::BookLocation>(Book::ReadLocation(m_address));
}

} // namespace BookTest
