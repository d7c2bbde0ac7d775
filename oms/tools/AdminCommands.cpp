#include "AdminCommands.h"

#include "excel/ExcelInterface.h"
#include "oms/AuditTrail.h"
#include "oms/BusGrants.h"
#include "oms/FieldCatalogue.h"
#include "oms/RequestRecord.h"
#include "oms/Store.h"
#include "oms/StoreError.h"
#include "oms/bus/BusAccess.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <iostream>
#include <map>
#include <sstream>
#include <stdexcept>

namespace oms::tools
{

const char* const kAdminUsage =
    "  bus init DIR [--listen HOST:PORT] [--host NAME]... [--storage DIR]\n"
    "                 make the bus folder: its certificate authority and TLS certificate, the\n"
    "                 server's credentials, nats-server.conf and the authorisation\n"
    "  bus grant DIR USER...    credentials for users (DIR/credentials/USER.creds), a new\n"
    "                           password each time; the running bus is told to reload\n"
    "  bus revoke DIR USER...   take users' access away; the running bus closes their connections\n"
    "  bus config DIR           write the authorisation again from the users table and reload\n"
    "  bus list                 who has access to the bus\n"
    "  audit verify [--expect HASH]\n"
    "                 check the decision log's hash chain; names every row changed, put in or\n"
    "                 deleted; exit code 1 when it does not hold\n"
    "  audit export [--from DATE] [--to DATE] [--xlsx FILE] [--csv FILE]\n"
    "                 the decisions of a period (who, what, when, reason, edited values, the old\n"
    "                 and new values applied)\n";

namespace
{

std::unique_ptr<Store> OpenBeside(const std::string& path)
{
    std::error_code missing;
    if (!std::filesystem::exists(path, missing))
        throw std::runtime_error("there is no database " + path + " (kivo-oms init makes one)");
    Store::Options options;
    options.serverLock = false;
    return Store::Open(path, options);
}

int Usage(const std::string& why)
{
    std::cerr << "kivo-oms: " << why << "\n\n" << kAdminUsage;
    return 2;
}

std::string Joined(const std::vector<std::string>& parts, const char* separator)
{
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : separator) + part;
    return text;
}

int Bus(Store& store, const std::vector<std::string>& args)
{
    const std::string verb = args.empty() ? "" : args[0];
    if (verb == "list")
    {
        for (const BusGrant& grant : BusGrants(store.Db()).All())
            std::cout << grant.user << "  granted " << grant.grantedAt
                      << (grant.revokedAt.empty() ? "" : "  revoked " + grant.revokedAt) << "\n";
        return 0;
    }
    if (verb != "init" && verb != "grant" && verb != "revoke" && verb != "config")
        return Usage(verb.empty() ? "bus needs a command" : "unknown bus command " + verb);
    if (args.size() < 2)
        return Usage("bus " + verb + " needs the bus folder");
    bus::BusAccess access(store, args[1]);
    if (verb == "init")
    {
        bus::BusAccess::Settings settings;
        for (std::size_t i = 2; i < args.size(); ++i)
        {
            const bool hasValue = i + 1 < args.size();
            if (args[i] == "--listen" && hasValue)
                settings.listen = args[++i];
            else if (args[i] == "--host" && hasValue)
                settings.hosts.push_back(args[++i]);
            else if (args[i] == "--storage" && hasValue)
                settings.storage = args[++i];
            else
                return Usage("bus init does not take " + args[i]);
        }
        access.Init(settings);
        std::cout << "The bus folder " << args[1] << " is ready: start the bus with\n    nats-server -c "
                  << access.ConfigFile().string() << "\nThe server connects with --bus-credentials "
                  << access.ServerCredentialsFile().string() << " --bus-ca " << access.CaFile().string()
                  << "\n";
        return 0;
    }
    if (verb == "grant" || verb == "revoke")
    {
        if (args.size() < 3)
            return Usage("bus " + verb + " needs one user or more");
        int code = 0;
        for (std::size_t i = 2; i < args.size(); ++i)
        {
            if (verb == "grant")
            {
                try
                {
                    const std::string file = access.Grant(args[i]).string();
                    std::cout << args[i] << ": " << file << "\n";
                }
                catch (const std::invalid_argument& refused)
                {
                    std::cerr << "kivo-oms: " << refused.what() << "; no credentials were made\n";
                    code = 1;
                }
            }
            else if (!access.Revoke(args[i]))
            {
                std::cerr << "kivo-oms: " << args[i] << " had no access to the bus\n";
                code = 1;
            }
            else
            {
                std::cout << args[i] << ": revoked\n";
            }
        }
        std::cout << access.Reload() << "\n";
        return code;
    }
    access.WriteAuthorisation();
    std::cout << "Wrote " << access.AuthorisationFile().string() << "\n" << access.Reload() << "\n";
    return 0;
}

// One row of the export: the decision and the request it was about.
std::vector<std::string> ExportRow(Store& store, const DecisionEntry& d)
{
    std::string type;
    std::string entity;
    std::string maker;
    EntityKind kind = EntityKind::Limits;
    if (d.key)
    {
        if (const std::optional<RequestRecord> request = store.Request(*d.key))
        {
            type = AuthTypeText(request->type);
            entity = request->entity;
            maker = request->maker;
            kind = request->kind;
        }
    }
    // The values applied, a field a line: its name, the new value and the one before.
    std::string applied;
    std::istringstream lines(d.applied);
    std::string line;
    while (std::getline(lines, line))
    {
        const std::size_t first = line.find('\t');
        const std::size_t second = first == std::string::npos ? first : line.find('\t', first + 1);
        if (second == std::string::npos)
            continue;
        const std::string id = line.substr(0, first);
        const FieldSpec* spec = FieldCatalogue::Find(kind, std::string_view(id));
        const std::string name = spec ? std::string(spec->key) + " (" + id + ")" : id;
        const std::string before = line.substr(second + 1);
        applied += (applied.empty() ? "" : "\n") + name + ": " + line.substr(first + 1, second - first - 1) +
                   (before.empty() ? " (new)" : " (was " + before + ")");
    }
    return {std::to_string(d.seq),
            d.decidedAt,
            d.checker,
            d.decision,
            d.outcome,
            d.key ? std::to_string(*d.key) : "",
            type,
            entity,
            maker,
            d.reason,
            d.edited,
            applied,
            d.statusText,
            d.messageId};
}

const std::vector<std::string> kExportHeader = {
    "Row", "Decided at", "Checker", "Decision", "Outcome", "Request", "Type", "Entity", "Maker", "Reason",
    "Edited values", "Values applied (new, old)", "Answer", "Message id"};

std::string CsvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text)
    {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

struct Table
{
    std::vector<std::vector<std::string>> rows; // the header first
};

int CellOf(void* context, int row, int column, std::string& text, int& dataType)
{
    const Table& table = *static_cast<const Table*>(context);
    text = table.rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    if (row == 0)
        dataType = column == 0 || column == 5 ? 1 : 3;
    return 1;
}

int Audit(Store& store, const std::vector<std::string>& args)
{
    const std::string verb = args.empty() ? "" : args[0];
    if (verb == "verify")
    {
        std::string expected;
        for (std::size_t i = 1; i < args.size(); ++i)
        {
            if (args[i] == "--expect" && i + 1 < args.size())
                expected = args[++i];
            else
                return Usage("audit verify does not take " + args[i]);
        }
        const AuditTrail::Verdict verdict = AuditTrail(store.Db()).Verify();
        for (const AuditTrail::Finding& finding : verdict.findings)
            std::cout << finding.what << "\n";
        bool holds = verdict.findings.empty();
        if (!expected.empty() && expected != verdict.lastHash)
        {
            std::cout << "the log's last hash is " << verdict.lastHash << ", not the " << expected
                      << " recorded: it was written again since\n";
            holds = false;
        }
        std::cout << verdict.rows << " decisions logged; the chain " << (holds ? "holds" : "does not hold")
                  << "; its last hash " << verdict.lastHash << "\n";
        return holds ? 0 : 1;
    }
    if (verb != "export")
        return Usage(verb.empty() ? "audit needs a command" : "unknown audit command " + verb);
    std::string from;
    std::string to;
    std::string xlsx;
    std::string csv;
    for (std::size_t i = 1; i < args.size(); ++i)
    {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--from" && hasValue)
            from = args[++i];
        else if (args[i] == "--to" && hasValue)
            to = args[++i];
        else if (args[i] == "--xlsx" && hasValue)
            xlsx = args[++i];
        else if (args[i] == "--csv" && hasValue)
            csv = args[++i];
        else
            return Usage("audit export does not take " + args[i]);
    }
    if (xlsx.empty() && csv.empty())
        return Usage("audit export needs --xlsx FILE or --csv FILE");
    Table table;
    table.rows.push_back(kExportHeader);
    AuditTrail(store.Db()).ForEachBetween(from, to, [&](const DecisionEntry& d)
                                          { table.rows.push_back(ExportRow(store, d)); });
    if (!csv.empty())
    {
        std::ofstream out(csv, std::ios::trunc);
        for (const std::vector<std::string>& row : table.rows)
        {
            std::vector<std::string> fields;
            for (const std::string& cell : row)
                fields.push_back(CsvField(cell));
            out << Joined(fields, ",") << "\r\n";
        }
        out.close();
        if (!out)
        {
            std::cerr << "kivo-oms: cannot write " << csv << "\n";
            return 1;
        }
        std::cout << "Wrote " << table.rows.size() - 1 << " decisions to " << csv << "\n";
    }
    if (!xlsx.empty())
    {
        CExcelInterface excel(static_cast<int>(table.rows.size()), static_cast<int>(kExportHeader.size()),
                              "Decisions");
        excel.m_pfnCellProvider = &CellOf;
        excel.m_pContext = &table;
        if (!excel.WriteToExcel(xlsx))
        {
            std::cerr << "kivo-oms: cannot write " << xlsx << ": " << excel.GetErrorText() << "\n";
            return 1;
        }
        std::cout << "Wrote " << table.rows.size() - 1 << " decisions to " << excel.GetFilePath() << "\n";
    }
    return 0;
}

} // namespace

int RunBusCommand(const std::string& databasePath, const std::vector<std::string>& args)
{
    try
    {
        const std::unique_ptr<Store> store = OpenBeside(databasePath);
        return Bus(*store, args);
    }
    catch (const StoreError& error)
    {
        std::cerr << "kivo-oms: " << error.what() << "\n";
        return 1;
    }
    catch (const std::exception& error)
    {
        std::cerr << "kivo-oms: " << error.what() << "\n";
        return 1;
    }
}

int RunAuditCommand(const std::string& databasePath, const std::vector<std::string>& args)
{
    try
    {
        const std::unique_ptr<Store> store = OpenBeside(databasePath);
        return Audit(*store, args);
    }
    catch (const std::exception& error)
    {
        std::cerr << "kivo-oms: " << error.what() << "\n";
        return 1;
    }
}

} // namespace oms::tools
