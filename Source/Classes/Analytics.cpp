#include "Classes/Analytics.h"
#include "Platform/Log.h"

#include "Classes/Configuration.h"
#include "Platform/Host.h"

#include <cmath>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Length of the UTF-8 sequence at text[i], or 0 when the bytes there are not one.
std::size_t utf8Length(const std::string& text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // the second byte's range: no overlongs, no surrogates
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else
        return 0;
    if (i + length > text.size() || byte(i + 1) < low || byte(i + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
    return length;
}

void appendQuoted(std::string& out, const std::string& text)
{
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
            ++i;
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
            ++i;
        } else if (const std::size_t length = utf8Length(text, i)) {
            out.append(text, i, length);
            i += length;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    out += '"';
}

UsageRecord sessionRecord(const char* event)
{
    Configuration* config = Configuration::current();
    return UsageRecord()
        .add("event", event)
        .add("date", Host::current().currentDate())
        .add("runs", config->numberOfRuns())
        .add("version", config->version());
}

// Puts up to `wanted` of the file's last records in front of out.
void readRecords(const std::string& path, std::size_t wanted, std::deque<std::string>& out)
{
    std::ifstream in(path, std::ios::binary);
    std::string line;
    std::deque<std::string> records;
    while (std::getline(in, line)) {
        if (line.size() < 2 || line.front() != '{' || line.back() != '}')
            continue;
        records.push_back(std::move(line));
        if (records.size() > wanted)
            records.pop_front();
    }
    out.insert(out.begin(), records.begin(), records.end());
}

} // namespace

void UsageRecord::addKey(const char* key)
{
    if (!m_fields.empty())
        m_fields += ',';
    appendQuoted(m_fields, key);
    m_fields += ':';
}

UsageRecord& UsageRecord::add(const char* key, const std::string& text)
{
    addKey(key);
    appendQuoted(m_fields, text);
    return *this;
}

UsageRecord& UsageRecord::add(const char* key, long long number)
{
    addKey(key);
    m_fields += std::to_string(number);
    return *this;
}

UsageRecord& UsageRecord::add(const char* key, double number)
{
    addKey(key);
    if (!std::isfinite(number)) {
        m_fields += "null";
        return *this;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", number);
    m_fields += text;
    return *this;
}

std::string Analytics::logPath() { return Host::current().dataDirectory() + "/" + kLogName; }

std::string Analytics::oldLogPath() { return Host::current().dataDirectory() + "/" + kOldLogName; }

bool Analytics::append(const UsageRecord& record)
{
    const std::string line = record.line() + "\n";
    const std::string path = logPath();
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    if (!ec && size + line.size() > kMaxLogBytes) {
        fs::rename(path, oldLogPath(), ec);
        if (ec)
            fs::remove(path, ec);
    }
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out << line;
    out.flush();
    return static_cast<bool>(out);
}

std::vector<std::string> Analytics::lastRecords(std::size_t count)
{
    std::deque<std::string> records;
    readRecords(logPath(), count, records);
    if (records.size() < count)
        readRecords(oldLogPath(), count - records.size(), records);
    return { records.begin(), records.end() };
}

void Analytics::start() { append(sessionRecord("start")); }

void Analytics::end() { append(sessionRecord("end")); }

std::string Analytics::stackTrace(const UncaughtException& exception)
{
    std::string trace = exception.name + ": " + exception.reason;
    for (size_t i = 0; i < exception.callStack.size(); ++i) {
        char number[32];
        std::snprintf(number, sizeof number, "\n#%-3zu ", i);
        trace += number;
        trace += exception.callStack[i];
    }
    return trace;
}

std::vector<std::string> Analytics::tracePieces(const std::string& trace)
{
    std::vector<std::string> pieces;
    std::size_t begin = 0;
    while (begin < trace.size()) {
        std::size_t end = begin;
        for (std::size_t characters = 0; characters < kPieceLength && end < trace.size(); ++characters) {
            ++end;
            while (end < trace.size() && (static_cast<unsigned char>(trace[end]) & 0xC0) == 0x80)
                ++end;
        }
        pieces.push_back(trace.substr(begin, end - begin));
        begin = end;
    }
    return pieces;
}

void Analytics::logException(const UncaughtException& exception)
{
    const std::string trace = stackTrace(exception);
    logLine(LogLevel::Error, "%s", "\n\n\nGadroon Exception\n---------------------------");
    logLine(LogLevel::Error, "%s", trace.c_str());
    logLine(LogLevel::Error, "%s", "---------------------------\n\n\n");
    std::fflush(stderr);
    // No host, no data directory: the console has it all.
    if (!Host::currentOrNull())
        return;
    const std::vector<std::string> pieces = tracePieces(trace);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Exception %zu", i);
        append(UsageRecord()
                   .add("event", "exception")
                   .add("name", name)
                   .add("message", pieces[i])
                   .add("exception", exception.name)
                   .add("date", Host::current().currentDate()));
    }
}
