// What an organisation did to one company, read back from its files: the state of every
// catalogue table (records, deleted records, tags with their keys and key counts), whether
// the company is blocked in `Empresa`, and the sums of the recomputed fields. A state taken
// before the organisation is kept as text, so a later run can compare it with the files as
// the organisation left them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace app {

struct TableState {
  std::string table;  // as the catalogue names it
  bool start_folder = false;
  std::string failure;        // why it did not open; empty when it did
  std::uint32_t records = 0;  // in the file, deleted ones included
  std::uint32_t deleted = 0;
  struct Tag {
    std::string name;  // as stored in the index file
    std::string key;
    std::uint32_t keys = 0;
  };
  std::vector<Tag> tags;  // in the index file's order
};

// A recomputed field summed over the live records of its table.
struct FieldSum {
  std::string table;
  std::string field;
  double sum = 0;
};

struct CompanyState {
  std::string code;
  bool blocked = false;  // LACTIVA of the company's record
  bool listed = false;   // the company has a record in `Empresa`
  std::vector<TableState> tables;  // the catalogue's tables, in catalogue order
  std::vector<FieldSum> sums;
  std::uint32_t graph_rows = 0;  // live records of the statistics table
  // Seconds since 1970: when the state was read, and the first and last
  // modification of the tables' files (and the company table's) after `since`; 0 when none.
  double taken = 0;
  double first_write = 0, last_write = 0;
};

// Reads the state of company `code` of the data tree under `root` (which holds DBF\ and
// DBF<code>\). The tables are opened exclusively, so nobody may work on them meanwhile.
// `since` (seconds since 1970) bounds the file modifications that count as written.
CompanyState ReadCompanyState(const std::string& root, std::string_view code, double since = 0);

// The state as text (records and deleted records per table, the sums), and back; tags are
// not kept, only what a later comparison needs. Parse returns false on text it does not know.
std::string StateText(const CompanyState& state);
bool ParseStateText(std::string_view text, CompanyState* state);

// The report: per table the records before and after, the deleted records packed away and the
// tags built (checked against the catalogue: names and keys in creation order, one key per
// record); then the totals, the company freed or not, the recomputed sums and the time taken.
std::string OrganisationSummary(const CompanyState& before, const CompanyState& after, double seconds);

// True when the organisation did what the catalogue asks: every table open, packed, holding
// its live records, every tag present in order with its key over every record, the company
// not blocked.
bool OrganisationComplete(const CompanyState& before, const CompanyState& after);

}  // namespace app
