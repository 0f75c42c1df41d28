// A forward scan of 1,000,000 records through TKRTable (First, then Next to
// Eof, reading every field through its TField) set against the same scan
// through the Database API's cursor calls (KSGetNextRecord, reading every
// value), in one run on the same transaction. Counter "ratio": the table's
// time divided by the cursor calls' time (the goal is 2 or less). Both read
// 1,000 rows ahead.

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "bench/KestrelBenchHome.h"
#include "dataset/KRDataSet_CMP_Table.h"
#include "objectmodel/KRAPI_UNT.h"
#include "objectmodel/KRDataSet_CO_Database.h"
#include "objectmodel/KRDataSet_CO_Schema.h"
#include "objectmodel/KRDataSet_CO_Server.h"
#include "objectmodel/KRDataSet_CO_Session.h"
#include "objectmodel/KRDataSet_CO_Transaction.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRecords = 1'000'000;
constexpr int32_t kReadAhead = 1000;

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The proxies down to a plain transaction on the database "Scan" of the
// server "Bench", which holds kRecords records of "Item".
struct Proxies {
  ComPtr<TKRServerInterface> server = MakeComObject<TKRServerInterface>();
  ComPtr<TKRSchemaInterface> schema = MakeComObject<TKRSchemaInterface>();
  ComPtr<TKRDatabaseInterface> database = MakeComObject<TKRDatabaseInterface>();
  ComPtr<TKRSessionInterface> session = MakeComObject<TKRSessionInterface>();
  ComPtr<TKRTransactionInterface> transaction = MakeComObject<TKRTransactionInterface>();
};

// The text dump of the items: a name, a number, a weight and a code each.
std::u16string WriteItems(const std::string& home) {
  const std::string file = home + "/scan.txt";
  std::ofstream out(file);
  out << "KESTREL-TEXT 1\nSCHEMA\tBench\t1\nNEXT\t" << kRecords + 1 << "\n";
  char weight[64];
  for (int i = 1; i <= kRecords; ++i) {
    std::snprintf(weight, sizeof weight, "%a", i * 0.25);
    out << "R\t" << i << "\tItem\tname=Item number " << i << "\tnumber=" << i
        << "\tweight=" << weight << "\tcode=k" << i % 101 << "\n";
  }
  out << "END\n";
  return std::u16string(file.begin(), file.end());
}

// Kept until the process ends: destroying proxies at exit would run after
// the thread's interface-boundary state is gone.
Proxies& Scan() {
  static Proxies& proxies = *[] {
    const std::string home = kestrel::bench::MakeBenchHome("Bench", R"({"name": "Bench",
        "version": "1", "classes": [{"name": "Item", "fields": [
          {"name": "name", "type": 9, "length": 40}, {"name": "number", "type": 3},
          {"name": "weight", "type": 5}, {"name": "code", "type": 9, "length": 8}]}]})");
    ::setenv("KESTREL_API_LIBRARY", KR_KESTREL_API_PATH, 1);
    auto* made = new Proxies;
    Proxies& p = *made;
    p.server->Set_HostName(u"localhost");
    p.server->Set_ServerName(u"Bench");
    p.schema->Set_Server(p.server.Get());
    p.schema->Set_Name(u"Bench");
    p.schema->Set_Version(u"1");
    p.server->CheckConnected();
    p.schema->CheckConnected();
    KRAPI().KSCreateDBFromAsciiFile(p.server->Get_Handle(), p.schema->Get_Handle(), u"Scan",
                                    WriteItems(home).c_str());
    p.database->Set_Schema(p.schema.Get());
    p.database->Set_Name(u"Scan");
    p.session->Set_Database(p.database.Get());
    p.session->Set_UserName(u"system");
    p.transaction->Set_ParentTransaction(p.session->Get_RootTransaction().Get());
    return made;
  }();
  return proxies;
}

// What a scan adds up, so that no read can be left out.
struct Totals {
  int64_t ids = 0;
  int64_t numbers = 0;
  double weights = 0;
  size_t textUnits = 0;
  int rows = 0;
};

size_t Length(const char16_t* text) {
  return text != nullptr ? std::char_traits<char16_t>::length(text) : 0;
}

Totals ScanCursor(KSHandle transaction) {
  const TKRAPITable& api = KRAPI();
  const char16_t* fields[] = {u"id", u"name", u"number", u"weight", u"code"};
  const KSHandle cursor = api.KSCreateCursor(transaction, u"Item", fields, 5, u"", 0);
  api.KSSetFetchBuffer(cursor, kReadAhead);
  KSField values[5];
  Totals totals;
  KSStatus status = api.KSGotoFirst(cursor);
  if (status == KS_OK) status = api.KSGetCurrentValues(cursor, values);
  for (; status == KS_OK; status = api.KSGetNextRecord(cursor, values)) {
    totals.ids += values[0].value.asInteger;
    totals.textUnits += Length(values[1].value.asString) + Length(values[4].value.asString);
    totals.numbers += values[2].value.asInteger;
    totals.weights += values[3].value.asDouble;
    ++totals.rows;
  }
  api.KSReleaseCursor(cursor);
  return totals;
}

Totals ScanTable(TKRTable& table) {
  const TField* id = table.FieldByName("id");
  const TField* name = table.FieldByName("name");
  const TField* number = table.FieldByName("number");
  const TField* weight = table.FieldByName("weight");
  const TField* code = table.FieldByName("code");
  Totals totals;
  // The texts are read into the same strings row after row, as a scan that
  // only looks at them would.
  std::u16string text;
  for (table.First(); !table.Eof(); table.Next()) {
    totals.ids += id->GetAsInteger();
    name->GetWideStringInto(text);
    totals.textUnits += text.size();
    code->GetWideStringInto(text);
    totals.textUnits += text.size();
    totals.numbers += number->GetAsInteger();
    totals.weights += weight->GetAsFloat();
    ++totals.rows;
  }
  return totals;
}

void BM_TableScan(benchmark::State& state) {
  Proxies& scan = Scan();
  TKRTable table(nullptr);
  table.SetTransaction(scan.transaction.Get());
  table.SetTableName("Item");
  table.SetRecordCacheSize(kReadAhead);
  table.Open();
  double cursorTime = 0, tableTime = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    const Totals direct = ScanCursor(scan.transaction->Get_Handle());
    cursorTime += Seconds(start);
    start = Clock::now();
    const Totals through = ScanTable(table);
    tableTime += Seconds(start);
    if (direct.rows != kRecords || through.rows != kRecords || direct.ids != through.ids ||
        direct.numbers != through.numbers || direct.weights != through.weights ||
        direct.textUnits != through.textUnits) {
      state.SkipWithError("the two scans read different values");
    }
  }
  table.Close();
  const double runs = static_cast<double>(state.iterations());
  state.counters["cursor_ms"] = cursorTime * 1e3 / runs;
  state.counters["table_ms"] = tableTime * 1e3 / runs;
  state.counters["ratio"] = tableTime / cursorTime;
}

BENCHMARK(BM_TableScan)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
