#include "Classes/Analytics.h"
#include "Engine/Support/Log.h"

#include "Classes/Configuration.h"
#include "Platform/Host.h"

#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

nlohmann::json sessionRecord(const char* event)
{
    Configuration* config = Configuration::current();
    return { { "event", event }, { "date", Host::current().currentDate() },
        { "runs", config->numberOfRuns() }, { "version", config->version() } };
}

// Puts up to `wanted` of the file's last records in front of out.
void readRecords(const std::string& path, std::size_t wanted, std::deque<nlohmann::json>& out)
{
    std::ifstream in(path, std::ios::binary);
    std::string line;
    std::deque<nlohmann::json> records;
    while (std::getline(in, line)) {
        nlohmann::json record = nlohmann::json::parse(line, nullptr, false);
        if (record.is_discarded())
            continue;
        records.push_back(std::move(record));
        if (records.size() > wanted)
            records.pop_front();
    }
    out.insert(out.begin(), records.begin(), records.end());
}

} // namespace

std::string Analytics::logPath() { return Host::current().dataDirectory() + "/" + kLogName; }

std::string Analytics::oldLogPath() { return Host::current().dataDirectory() + "/" + kOldLogName; }

bool Analytics::append(const nlohmann::json& record)
{
    // A trace may carry bytes that are not UTF-8; they must not cost the record.
    const std::string line = record.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
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

std::vector<nlohmann::json> Analytics::lastRecords(std::size_t count)
{
    std::deque<nlohmann::json> records;
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
        append({ { "event", "exception" }, { "name", name }, { "message", pieces[i] },
            { "exception", exception.name }, { "date", Host::current().currentDate() } });
    }
}
