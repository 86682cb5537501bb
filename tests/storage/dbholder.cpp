// Keeps a database open the way another program would, until a line arrives on standard input.
//   dbholder FILE wal        an idle WAL connection
//   dbholder FILE rollback   a rollback-journal connection inside a read transaction
#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) return 2;
    const bool wal = args[2] == QLatin1String("wal");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
        db.setDatabaseName(args[1]);
        if (!db.open()) return 1;
        QSqlQuery query(db);
        if (!query.exec(wal ? QStringLiteral("PRAGMA journal_mode=WAL")
                            : QStringLiteral("PRAGMA journal_mode=DELETE")))
            return 1;
        if (!wal && !query.exec(QStringLiteral("BEGIN"))) return 1;
        if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !query.next()) return 1;
        query.finish();
        std::printf("ready\n");
        std::fflush(stdout);
        char line[16];
        if (!std::fgets(line, sizeof line, stdin)) return 1;
        if (!wal) query.exec(QStringLiteral("COMMIT"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("holder"));
    return 0;
}
