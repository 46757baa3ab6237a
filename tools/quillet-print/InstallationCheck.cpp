// The installation check: the host's INI files, the agenda and year folders, Quillet.ini,
// the host component, its three tables, the newest documents and the port, in the order
// in which a print needs them, then automatic printing and the journal. The newest
// documents are laid out into memory as a print lays them out. Nothing is written
// anywhere and nothing is printed.
#include "InstallationCheck.h"

#include <windows.h>

#include "config/AgendaConfig.h"
#include "documents/FieldValues.h"
#include "framework/Files.h"
#include "framework/MessageBox.h"
#include "framework/WideText.h"
#include "host/ComponentRegistration.h"
#include "print/PrintJournal.h"
#include "print/PrintRequest.h"
#include "printer/PrintRoute.h"
#include "printer/PrinterPort.h"

namespace {

enum class Verdict { Ok, Wrong, Warning, Skipped };

class Report {
public:
    explicit Report(const std::function<void(const std::string&)>& write) : write_(write) {}

    void Line(Verdict verdict, const std::string& text)
    {
        static const char* const kWords[] = {"OK     ", "CHYBA  ", "POZOR  ", "--     "};
        if (verdict == Verdict::Wrong)
            ++wrong_;
        write_(kWords[static_cast<int>(verdict)] + text + "\n");
    }
    void Ok(const std::string& text) { Line(Verdict::Ok, text); }
    // What is wrong, then what to do about it.
    void Wrong(const std::string& text, const std::string& remedy) { Line(Verdict::Wrong, text + " – " + remedy); }
    int WrongCount() const { return wrong_; }

private:
    const std::function<void(const std::string&)>& write_;
    int wrong_ = 0;
};

bool CheckHost(Report& report, const HostLocation& host)
{
    if (host.setupIni.empty()) {
        std::string places;
        for (size_t i = 0; i < host.searched.size(); ++i)
            places += (i == 0 ? "" : i + 1 == host.searched.size() ? " ani " : ", ") + host.searched[i];
        report.Wrong(std::string("Instalace MoneyS3: Setup.ini není v ") + kHostCommonFiles + " pod " + places,
                     "nainstalujte MoneyS3 na tento počítač");
        return false;
    }
    report.Ok("Instalace MoneyS3: " + host.setupIni);
    if (!FileExists(host.monS3Ini)) {
        report.Wrong("MonS3.ini: " + host.monS3Ini + " neexistuje",
                     "Setup.ini (InstParams, LocalPath) neukazuje na složku MoneyS3; přeinstalujte MoneyS3");
        return false;
    }
    report.Ok("MonS3.ini: " + host.monS3Ini);
    return true;
}

bool CheckFolders(Report& report, const AgendaConfig& config)
{
    bool ok = true;
    const struct {
        const char* name;
        const std::string& folder;
        const char* key;
    } folders[] = {{"Agenda", config.AgendaDir, "LastFirm"}, {"Účetní rok", config.YearDir, "LastYear"}};
    for (const auto& f : folders) {
        if (FolderExists(f.folder)) {
            report.Ok(std::string(f.name) + ": " + f.folder);
        } else {
            report.Wrong(std::string(f.name) + ": složka " + f.folder + " neexistuje",
                         std::string("otevřete ji v MoneyS3 (MonS3.ini, LastDirs, ") + f.key + ")");
            ok = false;
        }
    }
    return ok;
}

void CheckQuilletIni(Report& report, AgendaConfig& config)
{
    const std::string path = QuilletIniPath();
    ReadFirmaSettings(path, config);
    const std::string settings = "v nabídce ikony Quillet otevřete Nastavení, vyplňte údaje firmy a port a uložte je";
    if (!FileExists(path))
        report.Wrong("Quillet.ini: " + path + " neexistuje (port " + config.Port + ")", settings);
    else if (config.Port.empty())
        report.Wrong("Quillet.ini: " + path + ", port je prázdný", settings);
    else
        report.Ok("Quillet.ini: " + path + ", port " + config.Port);
}

bool CheckComponent(Report& report)
{
    const HostTable table = CreateHostTable();
    const ComponentRegistration registration = FindComponentRegistration();
    if (!table.Empty()) {
        report.Ok("Databázová komponenta MoneyS3: " +
                  (registration.Own().empty() ? std::string("mon2kdbe.dll") : registration.Own()));
        return true;
    }
    std::string remedy;
    if (ThreadingModelFailure(table.CreationResult(), registration))
        remedy = "nejde o chybu instalace: komponenta musí být registrována s ThreadingModel Apartment, Both, Free "
                 "nebo bez něj; spusťte Quillet znovu, a trvá-li chyba, obraťte se na dodavatele MoneyS3";
    else if (!registration.Own().empty())
        remedy = "přeinstalujte MoneyS3";
    else if (!registration.Other().empty())
        remedy = std::string("Quillet potřebuje komponentu pro ") + OwnBitness() + "bitové programy: zaregistrujte " +
                 OwnBitness() + "bitovou mon2kdbe.dll (" +
                 (sizeof(void*) == 8 ? "System32" : "SysWOW64") + "\\regsvr32.exe ve složce Windows)";
    else
        remedy = "zaregistrujte mon2kdbe.dll ze složky MoneyS3 (regsvr32 mon2kdbe.dll), nebo přeinstalujte MoneyS3";
    report.Wrong("Databázová komponenta MoneyS3: " + ComponentProblem(table.CreationResult()), remedy);
    return false;
}

// Opens one table; the document table comes back open for the next step.
// The table's folder has been shown by the step before; the path is opened as a print
// opens it. A table printing does without (the stock cards, whose notes are then empty)
// is only a warning.
bool CheckTable(Report& report, const char* name, const std::string& path, HostTable& table, bool required)
{
    const std::string remedy = "zkontrolujte, že agenda a rok v MoneyS3 jsou v pořádku";
    const auto problem = [&](const std::string& text) {
        if (required)
            report.Wrong(std::string(name) + ": " + text, remedy);
        else
            report.Line(Verdict::Warning, std::string(name) + ": " + text + "; doklady se vytisknou bez poznámek");
        table.Release();
        return false;
    };
    try {
        table = CreateHostTable();
        const long status = table.OpenTable(path);
        if (status != 0)
            return problem("nelze otevřít (stav " + std::to_string(status) + ")");
        report.Ok(std::string(name) + ": záznamů " + std::to_string(table.RecordCount()));
        return true;
    } catch (const HostError& error) {
        return problem(error.Text());
    }
}

// Lays the document out into memory exactly as printing it would, with whatever a print
// would show collected instead of shown; empty when it would print.
std::string LayOutProblem(AgendaConfig& config, long docId)
{
    std::string shown;
    MessageBoxHandler previous = SetMessageBoxHandler([&](const std::wstring& wide, UINT) {
        const std::string text = ToCp1250Shown(wide);
        // A stock-card table that does not open has its own line; printing goes on without it.
        if (text.find("'Kmenovou Kartu'") == std::string::npos)
            shown += (shown.empty() ? "" : " ") + text;
        return IDOK;
    });
    DocumentJob job;
    const PrintOutcome outcome = PreviewDocument(config, docId, job);
    SetMessageBoxHandler(std::move(previous));
    if (outcome == PrintOutcome::Printed)
        return {};
    for (size_t at; (at = shown.find("\n\n:")) != std::string::npos;)
        shown.replace(at, 3, ": ");
    for (char& c : shown)
        if (c == '\n')
            c = ' ';
    return shown.empty() ? std::string("doklad se nevytiskne") : shown;
}

void CheckNewest(Report& report, AgendaConfig& config, HostTable& documents)
{
    const struct {
        const char* kind;
        const char* name;
        const char* key;
    } kinds[] = {{DocKind::TaxDocument, "Poslední prodejka", "F10"},
                 {DocKind::DeliveryNote, "Poslední dodací list", "F11"}};
    try {
        documents.SetIndex("CDokladu");
        for (const auto& k : kinds) {
            if (FindNewest(documents, k.kind)) {
                const std::string number = std::string(k.name) + ": č. " + FieldString(documents, "CisloDokla");
                const std::string problem = LayOutProblem(config, FieldInteger(documents, "CDokladu"));
                if (problem.empty())
                    report.Ok(number);
                else
                    report.Wrong(number + " nelze vytisknout: " + problem, "opravte doklad v MoneyS3");
            } else
                report.Line(Verdict::Warning,
                            std::string(k.name) + ": v tomto roce žádná není, " + k.key + " nebude mít co tisknout");
        }
    } catch (const HostError& error) {
        report.Wrong(std::string("Doklady SkSezDok: ") + error.Text(), "zkontrolujte agendu a rok v MoneyS3");
    }
}

// Opened as a print opens it (a printer queue, a device or a file) and let go without
// printing; a file that the opening created is removed again.
void CheckPort(Report& report, const std::string& port)
{
    const std::string problem = CheckPrinterPort(port, QuilletIniPath());
    if (!problem.empty()) {
        report.Wrong("Port " + port + ": nelze otevřít: " + problem,
                     "v Nastavení vyberte tiskárnu Windows nebo zadejte port, na kterém tiskárna je (např. LPT1:)");
        return;
    }
    report.Ok("Port " + port + ": otevřen, nic nebylo vytištěno");
}

// Which way documents will go, and why: the setting, or the queue's driver.
void CheckRoute(Report& report, const std::string& port, PrintRezim rezim)
{
    const DocumentRoute route = ChooseDocumentRoute(port, rezim);
    if (route.way == DocumentWay::Refused) {
        std::string text = route.why;
        for (size_t at; (at = text.find("\n\n")) != std::string::npos;)
            text.replace(at, 2, " ");
        report.Line(Verdict::Wrong, "Tisk: " + text);
        return;
    }
    report.Ok("Tisk: " + route.why);
}

// Automatic printing as Quillet.ini sets it, and where the journal of prints lies, which it
// depends on: a journal that cannot be written stops no print, so it is only a warning.
void CheckAutomatic(Report& report, const AgendaConfig& config)
{
    std::string kinds = config.AutoTiskDanovyDoklad ? "prodejky" : "";
    if (config.AutoTiskDodaciList)
        kinds += kinds.empty() ? "dodací listy" : " a dodací listy";
    if (kinds.empty())
        report.Ok("Automatický tisk: vypnut");
    else
        report.Ok("Automatický tisk: zapnut pro " + kinds +
                  (config.AutoTiskVystavil.empty() ? ", doklady všech"
                                                   : ", jen doklady, které vystavil: " + config.AutoTiskVystavil));
    const std::wstring folder = PrintJournal::DefaultFolder();
    const DWORD attributes = folder.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(folder.c_str());
    const char* const unrecorded = "; tisky se nezaznamenají a automatický tisk po spuštění nepozná, co už vytiskl";
    if (folder.empty())
        report.Line(Verdict::Warning, std::string("Deník tisků: Windows neuvádí složku dat aplikací") + unrecorded);
    else if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        report.Line(Verdict::Warning, "Deník tisků: " + ToCp1250Shown(folder) + " je soubor, ne složka" + unrecorded);
    else
        report.Ok("Deník tisků: " + ToCp1250Shown(folder) + "\\tisk-RRRR-MM.csv");
}

}  // namespace

int RunInstallationCheck(const std::function<void(const std::string& line)>& write)
{
    Report report(write);
    AgendaConfig config;
    const HostLocation host = FindHost();
    bool agenda = CheckHost(report, host);
    if (agenda) {
        config.Load();
        agenda = CheckFolders(report, config);
    } else {
        report.Line(Verdict::Skipped, "Agenda a účetní rok: bez instalace MoneyS3 je nelze zjistit");
    }
    CheckQuilletIni(report, config);
    const bool component = CheckComponent(report);

    if (agenda && component) {
        HostTable documents, items, cards;
        const bool documentsOpen =
            CheckTable(report, "Doklady SkSezDok", config.YearDir + "SkSezDok", documents, true);
        CheckTable(report, "Položky SkSezPol", config.YearDir + "SkSezPol", items, true);
        CheckTable(report, "Kmenové karty SkSezZas", config.AgendaDir + "SkSezZas", cards, false);
        if (documentsOpen)
            CheckNewest(report, config, documents);
        else
            report.Line(Verdict::Skipped, "Poslední doklady: tabulka dokladů se neotevřela");
    } else {
        report.Line(Verdict::Skipped, "Tabulky a poslední doklady: bez agendy a databázové komponenty je nelze otevřít");
    }
    CheckRoute(report, config.Port, config.Rezim);
    CheckPort(report, config.Port);
    CheckAutomatic(report, config);

    if (report.WrongCount() == 0) {
        write("Vše v pořádku: Quillet může tisknout.\n");
        return 0;
    }
    write("Chyb: " + std::to_string(report.WrongCount()) + ". Dokud je neopravíte, Quillet nebude tisknout.\n");
    return 2;
}
