#include "history/HistoryDatabase.h"

#include "history/SqlHistoryStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cctype>
#include <optional>

namespace tessaprint::history {

namespace {

const std::string kPasswordAdvice = "put the password in a password file (setting " +
                                    settings::QuotedName(settings::kHistoryPasswordFile) + ") or in ~/.pgpass";

Error BadSetting(const std::string& what)
{
    return Error{kErrorInvalidName, "the history database setting is not usable: " + what};
}

std::string Lower(std::string text)
{
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

bool HasControlCharacter(const std::string& text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return true;
        }
    }
    return false;
}

// %XX decoded; nothing for a broken escape or a control character.
std::optional<std::string> PercentDecoded(const std::string& text)
{
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            decoded += text[i];
            continue;
        }
        if (i + 2 >= text.size() || !std::isxdigit(static_cast<unsigned char>(text[i + 1])) ||
            !std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            return std::nullopt;
        }
        decoded += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
        i += 2;
    }
    if (HasControlCharacter(decoded)) {
        return std::nullopt;
    }
    return decoded;
}

std::optional<int> PortNumber(const std::string& text)
{
    if (text.empty() || text.size() > 5) {
        return std::nullopt;
    }
    int port = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        port = port * 10 + (c - '0');
    }
    if (port < 1 || port > 65535) {
        return std::nullopt;
    }
    return port;
}

Result<HistoryDatabase> ParsePostgresUrl(const std::string& value, std::size_t afterScheme)
{
    HistoryDatabase db;
    db.engine = HistoryDatabase::Engine::Postgres;
    std::string rest = value.substr(afterScheme);
    std::string query;
    if (const auto mark = rest.find('?'); mark != std::string::npos) {
        query = rest.substr(mark + 1);
        rest.resize(mark);
    }
    const auto slash = rest.find('/');
    const std::string authority = rest.substr(0, slash);
    const std::string path = slash == std::string::npos ? std::string() : rest.substr(slash + 1);

    std::string hostPort = authority;
    if (const auto at = authority.rfind('@'); at != std::string::npos) {
        const std::string userInfo = authority.substr(0, at);
        hostPort = authority.substr(at + 1);
        if (userInfo.find(':') != std::string::npos) {
            return BadSetting("the address holds a password; " + kPasswordAdvice);
        }
        const auto user = PercentDecoded(userInfo);
        if (!user || user->empty()) {
            return BadSetting("the user name in \"" + value + "\" cannot be read");
        }
        db.user = *user;
    }
    std::string host = hostPort;
    std::string port;
    if (!hostPort.empty() && hostPort.front() == '[') {
        const auto close = hostPort.find(']');
        if (close == std::string::npos) {
            return BadSetting("the address \"" + hostPort + "\" lacks its closing ']'");
        }
        host = hostPort.substr(1, close - 1);
        const std::string after = hostPort.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':') {
                return BadSetting("\"" + hostPort + "\" is not an address and port");
            }
            port = after.substr(1);
        }
    } else if (const auto colon = hostPort.rfind(':'); colon != std::string::npos) {
        host = hostPort.substr(0, colon);
        port = hostPort.substr(colon + 1);
        if (port.empty()) {
            return BadSetting("the port after \"" + host + ":\" is missing");
        }
    }
    if (!port.empty()) {
        const auto number = PortNumber(port);
        if (!number) {
            return BadSetting("the port \"" + port + "\" is not a number from 1 to 65535");
        }
        db.port = *number;
    }
    const auto decodedHost = PercentDecoded(host);
    if (!decodedHost) {
        return BadSetting("the server name \"" + host + "\" cannot be read");
    }
    db.host = *decodedHost;

    std::size_t start = 0;
    while (start <= query.size() && !query.empty()) {
        const auto end = query.find('&', start);
        const std::string pair = query.substr(start, end == std::string::npos ? std::string::npos : end - start);
        const auto equals = pair.find('=');
        const std::string key = pair.substr(0, equals);
        const auto optionValue = equals == std::string::npos ? std::nullopt : PercentDecoded(pair.substr(equals + 1));
        if (key == "password") {
            return BadSetting("the address holds a password; " + kPasswordAdvice);
        }
        if (key != "host") {
            return BadSetting("the option \"" + key + "\" is not taken (only ?host=/socket/folder is)");
        }
        if (!optionValue || optionValue->empty()) {
            return BadSetting("the option \"" + pair + "\" has no usable value");
        }
        db.host = *optionValue;
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    if (db.host.empty()) {
        return BadSetting("\"" + value + "\" names no server (postgresql://user@host:port/database)");
    }
    const auto name = PercentDecoded(path);
    if (!name || name->empty()) {
        return BadSetting("\"" + value + "\" names no database (postgresql://user@host:port/database)");
    }
    if (name->find('/') != std::string::npos) {
        return BadSetting("the database name \"" + *name + "\" cannot hold '/'");
    }
    db.databaseName = *name;
    return db;
}

// "scheme://" at the start: an address, not a file.
std::optional<std::size_t> SchemeEnd(const std::string& value)
{
    const auto colon = value.find("://");
    if (colon == std::string::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(value[0]))) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < colon; ++i) {
        const unsigned char c = static_cast<unsigned char>(value[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') {
            return std::nullopt;
        }
    }
    return colon;
}

} // namespace

std::string HistoryDatabase::Describe() const
{
    if (engine == Engine::Sqlite) {
        return "SQLite database " + path;
    }
    std::string where = "PostgreSQL database " + databaseName + " on " + host;
    where += !host.empty() && host.front() == '/' ? " (port " + std::to_string(port) + ")" : ":" + std::to_string(port);
    if (!user.empty()) {
        where += " as " + user;
    }
    return where;
}

Result<HistoryDatabase> ParseHistoryDatabase(const std::string& value, const std::string& baseFolder)
{
    if (value.empty()) {
        HistoryDatabase db;
        db.path = QDir(QString::fromStdString(baseFolder)).filePath(QStringLiteral("history.sqlite")).toStdString();
        db.createFolder = true;
        return db;
    }
    if (HasControlCharacter(value)) {
        return BadSetting("it holds a control character");
    }
    if (const auto schemeEnd = SchemeEnd(value)) {
        const std::string scheme = Lower(value.substr(0, *schemeEnd));
        if (scheme == "postgresql" || scheme == "postgres") {
            return ParsePostgresUrl(value, *schemeEnd + 3);
        }
        return BadSetting("\"" + scheme +
                          "://\" is not a database Tessaprint knows: give an SQLite file or postgresql://…");
    }
    const QString path = QDir(QString::fromStdString(baseFolder)).absoluteFilePath(QString::fromStdString(value));
    if (QFileInfo(path).isDir() || value.back() == '/' || value.back() == '\\') {
        return BadSetting("\"" + value + "\" is a folder, not a database file");
    }
    HistoryDatabase db;
    db.path = QDir::cleanPath(path).toStdString();
    return db;
}

Result<std::string> ReadPasswordFile(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (QFileInfo(file).isDir() || !file.open(QIODevice::ReadOnly)) {
        return Error{kErrorAccessDenied,
                     "cannot read the password file " + path + ": " +
                         (QFileInfo(file).isDir() ? std::string("it is a folder") : file.errorString().toStdString())};
    }
    std::string line = file.readLine(4096).toStdString();
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.pop_back();
    }
    return line;
}

std::string HistoryDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString();
}

Result<HistoryDatabase> HistoryDatabaseFromSettings(const SettingsStore& settings)
{
    Result<HistoryDatabase> db = ParseHistoryDatabase(settings.Read(settings::kHistoryDatabase), HistoryDataFolder());
    if (!db || db.value().engine != HistoryDatabase::Engine::Postgres) {
        return db;
    }
    const std::string passwordFile = settings.Read(settings::kHistoryPasswordFile);
    if (!passwordFile.empty()) {
        Result<std::string> password = ReadPasswordFile(passwordFile);
        if (!password) {
            return password.error();
        }
        db.value().password = std::move(password).value();
    }
    return db;
}

Result<std::unique_ptr<HistoryStore>> OpenHistoryStore(const HistoryDatabase& where)
{
    Result<std::unique_ptr<SqlHistoryStore>> store = SqlHistoryStore::Open(where);
    if (!store) {
        return store.error();
    }
    return std::unique_ptr<HistoryStore>(std::move(store).value());
}

Result<std::unique_ptr<HistoryStore>> OpenHistoryStore(const SettingsStore& settings)
{
    Result<HistoryDatabase> where = HistoryDatabaseFromSettings(settings);
    if (!where) {
        return where.error();
    }
    return OpenHistoryStore(where.value());
}

} // namespace tessaprint::history
