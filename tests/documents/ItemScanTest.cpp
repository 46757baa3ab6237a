// The item scan finds the document's rows by Seek; its pages are compared byte for byte
// with the pages of the pass over the whole item table, wherever the rows lie.
#include <gtest/gtest.h>

#include "ForwardingTable.h"
#include "documents/Documents.h"
#include "documents/SampleAgenda.h"
#include "support/MessageBoxRecorder.h"
#include "support/TempFile.h"

namespace {

enum class SeekAnswer {
    Real,        // the component's own
    NotFound,    // a component whose Seek does not serve the index
    LastOfKeys,  // found, but on the last of the equal keys
};

struct ItemReads {
    int seeks = 0;
    int idReads = 0;  // "CDokladu" read from the item table: one per row looked at
};

// The real item table, with Seek answered as the test asks; other tables pass unchanged.
class ItemTableProbe : public ForwardingTable {
public:
    ItemTableProbe(ComPtr<IMon2kDbeTable> inner, SeekAnswer answer, ItemReads* reads)
        : ForwardingTable(std::move(inner)), answer_(answer), reads_(reads)
    {
    }

    HRESULT STDMETHODCALLTYPE OpenTable(VARIANT path, long* status) override
    {
        const std::wstring text(path.bstrVal, SysStringLen(path.bstrVal));
        items_ = text.size() >= 8 && text.compare(text.size() - 8, 8, L"SkSezPol") == 0;
        return Inner()->OpenTable(path, status);
    }

    HRESULT STDMETHODCALLTYPE FieldValue(BSTR name, VARIANT* value) override
    {
        if (items_ && std::wstring(name, SysStringLen(name)) == L"CDokladu")
            ++reads_->idReads;
        return Inner()->FieldValue(name, value);
    }

    HRESULT STDMETHODCALLTYPE Seek(VARIANT key, long* status) override
    {
        if (!items_)
            return Inner()->Seek(key, status);
        ++reads_->seeks;
        if (answer_ == SeekAnswer::NotFound) {
            *status = 0;
            return S_OK;
        }
        HRESULT hr = Inner()->Seek(key, status);
        if (SUCCEEDED(hr) && *status == kMon2kSeekFound && answer_ == SeekAnswer::LastOfKeys)
            hr = ToLastOfKey(key.lVal);
        return hr;
    }

private:
    HRESULT ToLastOfKey(long key)
    {
        long moved = 0;
        for (;;) {
            if (FAILED(Inner()->MoveNext(&moved)) || moved != 0)
                break;
            VARIANT id;
            VariantInit(&id);
            BSTR field = SysAllocString(L"CDokladu");
            const HRESULT hr = Inner()->FieldValue(field, &id);
            SysFreeString(field);
            if (FAILED(hr) || id.lVal != key)
                break;
        }
        return Inner()->MovePrev(&moved);
    }

    SeekAnswer answer_;
    ItemReads* reads_;
    bool items_ = false;
};

// A row of the printed document 7, or of another document (its name starts "Jiný").
ItemRecord Row(long docId, const std::string& name, const std::string& typ = "S")
{
    return Item(typ, docId, name, "K-1", dbf::Value::Currency(10000), "ks", 101);
}

ItemRecord Deleted(ItemRecord row)
{
    row.deleted = true;
    return row;
}

struct ScanCase {
    const char* what;
    std::vector<ItemRecord> rows;  // in file order
    std::vector<std::string> printed;  // the names on the page, in order
};

class ItemScanTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        config.Port = port.Path();
        agenda.Configure(config);
        std::vector<DocRecord> docs;
        for (long id : {3, 5, 7, 9}) {
            DocRecord d;
            d.typ = "D";
            d.id = id;
            d.cislo = "DL" + std::to_string(id);
            d.vystavil = "Věra";
            docs.push_back(d);
        }
        agenda.WriteDocuments(docs);
        agenda.WriteCards({{101, "Skladovat v suchu"}});
    }

    std::string Print(SeekAnswer answer, ItemReads* reads)
    {
        DeleteFileA(port.Path().c_str());
        HostTableWrapper previous = SetHostTableWrapper(
            [&](ComPtr<IMon2kDbeTable> table) { return Wrap<ItemTableProbe>(std::move(table), answer, reads); });
        EXPECT_EQ(PrintOutcome::Printed, PrintDocument(config, 7));
        SetHostTableWrapper(std::move(previous));
        return port.Read();
    }

    SampleAgenda agenda;
    AgendaConfig config;
    TempFile port{"prn"};
    MessageBoxRecorder boxes;
};

TEST_F(ItemScanTest, SeekPrintsThePageOfTheWholePass)
{
    const ScanCase cases[] = {
        {"the first rows of the table",
         {Row(7, "Cement"), Row(7, "Vápno"), Row(9, "Jiný 9"), Row(9, "Jiný 9b")},
         {"Cement", "Vápno"}},
        {"the last rows of the table",
         {Row(3, "Jiný 3"), Row(5, "Jiný 5"), Row(7, "Cement"), Row(7, "Vápno")},
         {"Cement", "Vápno"}},
        {"the only rows of the table", {Row(7, "Cement"), Row(7, "Písek", "s"), Row(7, "Vápno")}, {"Cement", "Vápno"}},
        {"a run broken by deleted rows",
         {Row(5, "Jiný 5"), Row(7, "Cement"), Deleted(Row(7, "Smazaný 7")), Deleted(Row(5, "Jiný smazaný 5")),
          Row(7, "Vápno"), Deleted(Row(9, "Jiný smazaný 9")), Row(7, "Štěrk"), Row(9, "Jiný 9")},
         {"Cement", "Vápno", "Štěrk"}},
        {"interleaved with other documents in file order",
         {Row(9, "Jiný 9"), Row(7, "Cement"), Row(3, "Jiný 3"), Row(7, "Vápno", " S"), Row(5, "Jiný 5"),
          Row(7, "Štěrk"), Row(9, "Jiný 9b"), Row(7, "Dlažba")},
         {"Cement", "Štěrk", "Dlažba"}},
        {"no rows of the document", {Row(3, "Jiný 3"), Row(5, "Jiný 5"), Row(9, "Jiný 9")}, {}},
    };
    for (const ScanCase& c : cases) {
        SCOPED_TRACE(c.what);
        agenda.WriteItems(c.rows);
        long visible = 0, ofDocument = 0;
        for (const ItemRecord& row : c.rows) {
            visible += !row.deleted;
            ofDocument += !row.deleted && row.docId == 7;
        }

        ItemReads full, seek, fromLast;
        const std::string wholePass = Print(SeekAnswer::NotFound, &full);
        const std::string page = Print(SeekAnswer::Real, &seek);
        const std::string pageFromLast = Print(SeekAnswer::LastOfKeys, &fromLast);

        EXPECT_TRUE(page == wholePass) << PageDiff(wholePass, page);
        EXPECT_TRUE(pageFromLast == wholePass) << PageDiff(wholePass, pageFromLast);
        size_t at = 0;
        for (const std::string& name : c.printed) {
            at = page.find(To852(Left(name, 50) + "K-1"), at);
            ASSERT_NE(std::string::npos, at) << name;
        }
        EXPECT_EQ(std::string::npos, page.find(To852("Jiný")));
        EXPECT_EQ(std::string::npos, page.find(To852("Smazaný")));
        EXPECT_EQ(std::string::npos, page.find(To852("Písek")));

        // The whole pass reads every row; Seek reads the document's rows and one on each
        // side (none past the table's ends), or everything when there is nothing to find.
        EXPECT_EQ(visible, full.idReads);
        const long most = ofDocument ? ofDocument + 2 : visible;
        EXPECT_LE(seek.idReads, most);
        EXPECT_LE(fromLast.idReads, most + ofDocument);
        EXPECT_EQ(1, seek.seeks);
    }
    EXPECT_TRUE(boxes.Shown().empty());
}

}  // namespace
