#include "history/HistorySchema.h"

#include "history/CaptureIdentity.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <iterator>
#include <optional>
#include <utility>
#include <vector>

namespace tessaprint::history {

namespace {

QVariant NullableText(const std::optional<std::string>& text)
{
    return text ? QVariant(QString::fromStdString(*text)) : QVariant(QMetaType::fromType<QString>());
}

// records get test_day and equipment_key, filled in for the records there.
Result<void> AddTestDayAndEquipmentKey(HistorySchema& schema, const std::string& what)
{
    const QString text = schema.TextColumn();
    if (Result<void> done = schema.Exec({QStringLiteral("ALTER TABLE records ADD COLUMN test_day %1").arg(text),
                                         QStringLiteral("ALTER TABLE records ADD COLUMN equipment_key %1 NOT NULL "
                                                        "DEFAULT ''")
                                             .arg(text)},
                                        what);
        !done) {
        return done;
    }
    struct Row {
        qlonglong id;
        std::string equipmentId;
        std::string testDate;
    };
    std::vector<Row> rows;
    {
        QSqlQuery select(schema.db());
        select.setForwardOnly(true);
        if (!select.exec(QStringLiteral("SELECT id, equipment_id, test_date FROM records"))) {
            return schema.Failure(what, select.lastError());
        }
        while (select.next()) {
            rows.push_back({select.value(0).toLongLong(), select.value(1).toString().toStdString(),
                            select.value(2).toString().toStdString()});
        }
    }
    QSqlQuery update(schema.db());
    if (!update.prepare(QStringLiteral("UPDATE records SET test_day = ?, equipment_key = ? WHERE id = ?"))) {
        return schema.Failure(what, update.lastError());
    }
    for (const Row& row : rows) {
        update.bindValue(0, NullableText(ParseTestDay(row.testDate)));
        update.bindValue(1, QString::fromStdString(HistorySchema::EquipmentKey(row.equipmentId)));
        update.bindValue(2, row.id);
        if (!update.exec()) {
            return schema.Failure(what, update.lastError());
        }
    }
    return schema.Exec({QStringLiteral("CREATE INDEX records_equipment_key ON records (equipment_key)"),
                        QStringLiteral("CREATE INDEX records_capture_id ON records (capture_id)")},
                       what);
}

Result<void> AddCaptureIdentity(HistorySchema& schema, const std::string& what)
{
    // Captures get an identity of their own. Those from before get the one
    // the older rule gave them (a live capture: its port, time and archive
    // name; any other: its lines), the same a waiting capture from before
    // gets, so one of them recorded again, grown, still replaces its part.
    if (Result<void> done =
            schema.Exec(QStringLiteral("ALTER TABLE captures ADD COLUMN capture_uid %1 NOT NULL DEFAULT ''")
                            .arg(schema.TextColumn()),
                        what);
        !done) {
        return done;
    }
    std::vector<std::pair<qlonglong, std::string>> identities;
    {
        QSqlQuery select(schema.db());
        select.setForwardOnly(true);
        if (!select.exec(QStringLiteral("SELECT id, port, captured_at, archive_name, lines_hash FROM captures"))) {
            return schema.Failure(what, select.lastError());
        }
        while (select.next()) {
            HistoryCapture capture;
            capture.port = select.value(1).toString().toStdString();
            capture.capturedAt = select.value(2).toString().toStdString();
            capture.archiveName = select.value(3).toString().toStdString();
            capture.linesHash = select.value(4).toString().toStdString();
            identities.emplace_back(select.value(0).toLongLong(), CaptureIdentity(capture));
        }
    }
    QSqlQuery update(schema.db());
    if (!update.prepare(QStringLiteral("UPDATE captures SET capture_uid = ? WHERE id = ?"))) {
        return schema.Failure(what, update.lastError());
    }
    for (const auto& [captureId, identity] : identities) {
        update.bindValue(0, QString::fromStdString(identity));
        update.bindValue(1, captureId);
        if (!update.exec()) {
            return schema.Failure(what, update.lastError());
        }
    }
    return schema.Exec(QStringLiteral("CREATE INDEX captures_capture_uid ON captures (capture_uid)"), what);
}

Result<void> AddVerdicts(HistorySchema& schema, const std::string& what)
{
    // Records get the profile their readings were judged by, readings their
    // verdict, limit and rule. Rows from before were recorded without
    // verdicts: they get empty ones and are never judged afterwards.
    const QString column = QStringLiteral("%1 NOT NULL DEFAULT ''").arg(schema.TextColumn());
    return schema.Exec({QStringLiteral("ALTER TABLE records ADD COLUMN verdict_profile %1").arg(column),
                        QStringLiteral("ALTER TABLE records ADD COLUMN verdict_profile_version %1").arg(column),
                        QStringLiteral("ALTER TABLE readings ADD COLUMN verdict %1").arg(column),
                        QStringLiteral("ALTER TABLE readings ADD COLUMN verdict_limit %1").arg(column),
                        QStringLiteral("ALTER TABLE readings ADD COLUMN verdict_rule %1").arg(column)},
                       what);
}

Result<void> AddEquipment(HistorySchema& schema, const std::string& what)
{
    // The department's equipment list, one row per trimmed ID, its columns
    // the texts the list's CSV has. The due list asks, per ID, for the
    // latest test day and of that day the record recorded last: the index on
    // (equipment_id, test_day, capture_id, position) answers that without a
    // pass over every record and without reading the records' rows.
    return schema.Exec(
        {QStringLiteral("CREATE TABLE equipment (equipment_id %1 PRIMARY KEY, description %1 NOT NULL, "
                        "location %1 NOT NULL, class %1 NOT NULL, applied_parts %1 NOT NULL, "
                        "interval_months INTEGER NOT NULL, cord %1 NOT NULL, profile %1 NOT NULL, "
                        "settings %1 NOT NULL)")
             .arg(schema.TextColumn()),
         QStringLiteral(
             "CREATE INDEX records_equipment_day ON records (equipment_id, test_day, capture_id, position)")},
        what);
}

Result<void> AddPackedReadings(HistorySchema& schema, const std::string& what)
{
    // Each record keeps its readings once more, packed into one value
    // ("item US test US reading", joined by RS, in item order), written with
    // the record and never changed: the due list reads one value a device
    // instead of gathering each record's readings. Records are never
    // rewritten (a grown capture's part is replaced), so the copy stays true.
    const bool postgres = schema.IsPostgres();
    return schema.Exec(
        {QStringLiteral("ALTER TABLE records ADD COLUMN readings_packed %1").arg(schema.BytesColumn()),
         postgres ? QStringLiteral("UPDATE records r SET readings_packed = (SELECT convert_to(string_agg(d.item || "
                                   "chr(31) || d.test || chr(31) || d.reading, chr(30) ORDER BY d.item), 'UTF8') "
                                   "FROM readings d WHERE d.record_id = r.id)")
                  : QStringLiteral("UPDATE records SET readings_packed = CAST((SELECT group_concat(o.item || "
                                   "char(31) || o.test || char(31) || o.reading, char(30)) FROM (SELECT d.item, "
                                   "d.test, d.reading FROM readings d WHERE d.record_id = records.id ORDER BY "
                                   "d.item) o) AS BLOB)")},
        what);
}

// One step from version - 1 to version, inside the set-up's transaction.
struct Migration {
    int version;
    Result<void> (*apply)(HistorySchema& schema, const std::string& what);
};

// Version 1 was the first schema.
constexpr Migration kMigrations[] = {
    {2, AddTestDayAndEquipmentKey}, {3, AddCaptureIdentity}, {4, AddVerdicts}, {5, AddEquipment},
    {6, AddPackedReadings},
};

constexpr bool StepsAreConsecutive()
{
    for (std::size_t i = 1; i < std::size(kMigrations); ++i) {
        if (kMigrations[i].version != kMigrations[i - 1].version + 1) {
            return false;
        }
    }
    return true;
}
static_assert(StepsAreConsecutive(), "each migration goes one version up");
static_assert(kMigrations[std::size(kMigrations) - 1].version == HistorySchema::kVersion,
              "the last migration reaches the schema's version");
static_assert(HistorySchema::kBaseVersion <= HistorySchema::kVersion, "the base tables are no newer than the schema");

} // namespace

HistorySchema::HistorySchema(QSqlDatabase& db, const HistoryDatabase& where, FailureFn failure)
    : m_db(db), m_where(where), m_failure(std::move(failure))
{
}

std::string HistorySchema::EquipmentKey(std::string equipmentId)
{
    for (char& c : equipmentId) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return equipmentId;
}

QString HistorySchema::IdColumn() const
{
    return IsPostgres() ? QStringLiteral("BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY")
                        : QStringLiteral("INTEGER PRIMARY KEY");
}

QString HistorySchema::BytesColumn() const
{
    return IsPostgres() ? QStringLiteral("BYTEA") : QStringLiteral("BLOB");
}

QString HistorySchema::TextColumn() const
{
    // Byte order on both engines: prefix ranges and the sorted IDs do not
    // depend on the server's language settings.
    return IsPostgres() ? QStringLiteral("TEXT COLLATE \"C\"") : QStringLiteral("TEXT");
}

Result<int> HistorySchema::ReadVersion()
{
    // Asked of the catalogue first: inside a PostgreSQL transaction a
    // statement on a table that is not there would end the transaction.
    const QString exists =
        IsPostgres() ? QStringLiteral("SELECT CASE WHEN to_regclass('schema_version') IS NULL THEN 0 ELSE 1 END")
                     : QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = "
                                      "'schema_version'");
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.exec(exists) || !query.next()) {
        return Failure("cannot read the schema version", query.lastError());
    }
    if (query.value(0).toInt() == 0) {
        return 0; // a new database
    }
    query.finish();
    if (!query.exec(QStringLiteral("SELECT MAX(version) FROM schema_version")) || !query.next()) {
        return Failure("cannot read the schema version", query.lastError());
    }
    return query.value(0).isNull() ? -1 : query.value(0).toInt();
}

Result<void> HistorySchema::CheckVersion(int version) const
{
    if (version > kVersion) {
        return Error{kErrorFail, m_where.Describe() + " has the history's schema version " + std::to_string(version) +
                                     ", newer than this program knows (" + std::to_string(kVersion) +
                                     "): use a newer Tessaprint; the database was left as it is"};
    }
    if (version < 0) {
        return Error{kErrorFail, m_where.Describe() + " has a schema_version table without a version"};
    }
    return {};
}

Result<void> HistorySchema::BringUp(int from)
{
    int at = from;
    if (from == 0) {
        if (Result<void> created = CreateBaseTables(); !created) {
            return created;
        }
        at = kBaseVersion;
    }
    for (const Migration& step : kMigrations) {
        if (step.version <= at) {
            continue;
        }
        const std::string what = "cannot bring the schema from version " + std::to_string(step.version - 1) + " to " +
                                 std::to_string(step.version);
        if (Result<void> done = step.apply(*this, what); !done) {
            return done;
        }
    }
    const QString setVersion = from == 0
                                   ? QStringLiteral("INSERT INTO schema_version (version) VALUES (%1)").arg(kVersion)
                                   : QStringLiteral("UPDATE schema_version SET version = %1").arg(kVersion);
    return Exec(setVersion, "cannot set up the history's tables");
}

// A new database starts with these tables, those of version kBaseVersion.
Result<void> HistorySchema::CreateBaseTables()
{
    const QString id = IdColumn();
    const QString text = TextColumn();
    const QString statements[] = {
        QStringLiteral("CREATE TABLE schema_version (version INTEGER NOT NULL)"),
        QStringLiteral("CREATE TABLE captures (id %1, captured_at %2 NOT NULL, kind %2 NOT NULL, port %2 NOT NULL, "
                       "archive_name %2 NOT NULL, lines_hash %2 NOT NULL UNIQUE, recorded_at %2 NOT NULL, "
                       "capture_uid %2 NOT NULL)")
            .arg(id, text),
        QStringLiteral("CREATE TABLE records (id %1, capture_id BIGINT NOT NULL REFERENCES captures (id), "
                       "position INTEGER NOT NULL, equipment_id %2 NOT NULL, test_date %2 NOT NULL, test_day %2, "
                       "equipment_key %2 NOT NULL DEFAULT '')")
            .arg(id, text),
        QStringLiteral("CREATE TABLE readings (record_id BIGINT NOT NULL REFERENCES records (id), item INTEGER NOT "
                       "NULL, value %1 NOT NULL, test %1 NOT NULL, reading %1 NOT NULL, PRIMARY KEY (record_id, item))")
            .arg(text),
        QStringLiteral("CREATE INDEX captures_capture_uid ON captures (capture_uid)"),
        QStringLiteral("CREATE INDEX records_equipment_id ON records (equipment_id)"),
        QStringLiteral("CREATE INDEX records_equipment_key ON records (equipment_key)"),
        QStringLiteral("CREATE INDEX records_capture_id ON records (capture_id)"),
    };
    for (const QString& sql : statements) {
        if (Result<void> done = Exec(sql, "cannot create the history's tables"); !done) {
            return done;
        }
    }
    return {};
}

Result<void> HistorySchema::Exec(const QString& sql, const std::string& what)
{
    QSqlQuery query(m_db);
    if (!query.exec(sql)) {
        return Failure(what, query.lastError());
    }
    query.finish();
    return {};
}

Result<void> HistorySchema::Exec(std::initializer_list<QString> statements, const std::string& what)
{
    for (const QString& sql : statements) {
        if (Result<void> done = Exec(sql, what); !done) {
            return done;
        }
    }
    return {};
}

} // namespace tessaprint::history
