#pragma once
// The fax store: the four tables in DataFolder, their schemas and index tags, the
// Open/Make operations, reopening a list in place, the deleted convention, the record life
// cycle, rich text through the scratch file "Eraseme.rtf", and the engine side of fax log
// maintenance: delete-for by condition and the index rebuild with packing.
//
// The tables are xbase::Table objects (src/xbase/table.h); use them directly for positioning,
// reading fields, order and query. For the grids (100,000 rows must stay fast) use the
// table's view: viewCount() rows in the current order and query, viewRecNo(n) gives the record
// number of row n in O(1), record(recno) reads a row without moving the current record,
// viewPosition(recno) finds the row of a record, viewGeneration() changes whenever the rows
// may have changed (refresh the grid then).
//
// Field values are code page 1252 bytes; convert with qtplatform/cp1252_text.h in the GUI and
// platform/cp1252.h at the terminal (never QString::fromLatin1).
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "xbase/date.h"
#include "xbase/environment.h"
#include "xbase/field.h"
#include "xbase/table.h"

namespace quillon::store {

using xbase::Date;
using xbase::FieldDef;
using xbase::Table;

enum class TableKind { Sent, Received, Cover, Phone };

struct TableLayout {
  TableKind kind;
  const char* dbfName;   // "QLN.DBF", "QLNREC.DBF", "QLNCOV.DBF", "QLNPB.DBF"
  const char* cdxName;   // "QLN.CDX", ...
  const char* tagName;   // "DATESENT", "DATETIME", "DESCRIPT", "NAME"
  const char* createKey; // key at creation ("DTOS(DATESENT)+TIMESENT", ...)
  const char* rebuildKey;// key at rebuild (sent: "datesent"; the others as at creation)
  bool descending;
  const char* forCondition;  // ".not. deleted()"
  std::vector<FieldDef> fields;  // file order, no decimals
};
const TableLayout& tableLayout(TableKind kind);

inline constexpr const char* kNotDeleted = ".not. deleted()";
inline constexpr const char* kScratchFile = "Eraseme.rtf";
inline constexpr const char* kReceiveFolder = "receive";

// Field names.
namespace sentfield {
inline constexpr const char *SUBJECT = "SUBJECT", *SENT = "SENT", *DATESENT = "DATESENT",
                            *TIMESENT = "TIMESENT", *RECIPIENT = "RECIPIENT", *PHONE = "PHONE",
                            *PAGES = "PAGES", *LASTRESULT = "LASTRESULT", *RTFCOVER = "RTFCOVER",
                            *RTFDOC = "RTFDOC";
}
namespace recfield {
inline constexpr const char *DATEREC = "DATEREC", *TIMEREC = "TIMEREC", *FROM = "FROM",
                            *PAGES = "PAGES", *FAXFILE = "FAXFILE", *NOTES = "NOTES";
}
namespace coverfield {
inline constexpr const char *DESCRIPT = "DESCRIPT", *COVER = "COVER";
}
namespace phonefield {
inline constexpr const char *NAME = "NAME", *PHONE = "PHONE";
}

// What New, Clone and Edit write into a sent record.
struct SentEntry {
  std::string recipient, subject, phone;
  std::string rtfCover, rtfDoc;  // RTF bytes
};

// What receive mode writes into a received record.
struct ReceivedEntry {
  Date date;
  std::string time;  // "hh:nn"
  std::string from;
  int pages = 0;
  std::string faxFile;  // file name inside the receive folder, no folder
};

// Progress line of the index rebuild, e.g. "Rebuilding FAX file indexes".
using ProgressFn = std::function<void(const std::string& line)>;

class FaxStore {
 public:
  // `dataFolder` ends with '/'. Every table uses `environment` (its Deleted setting is set
  // on here, as ApolloEnv1 does).
  explicit FaxStore(std::string dataFolder,
                    xbase::Environment& environment = xbase::Environment::global());
  ~FaxStore();
  FaxStore(const FaxStore&) = delete;
  FaxStore& operator=(const FaxStore&) = delete;

  const std::string& dataFolder() const { return dataFolder_; }
  xbase::Environment& environment() { return environment_; }
  std::string pathOf(const std::string& name) const { return dataFolder_ + name; }
  // The table's .DBF in the data folder, found whatever the case of its name (qln.dbf);
  // QLN.DBF etc. when there is none yet. Its .CDX and memo file are found the same way.
  std::string tablePath(TableKind kind) const;

  // The tables the main window owns (FaxTable, RecTable, CoverTable, PhoneTable).
  Table& faxTable() { return *faxTable_; }
  Table& recTable() { return *recTable_; }
  Table& coverTable() { return *coverTable_; }
  Table& phoneTable() { return *phoneTable_; }
  Table& table(TableKind kind);

  // ---- Open/Make: create a missing table, open exclusively, recreate a missing
  // (or unusable) .CDX tag, sent table: go to the first record, cover/phone: their tag as
  // the order, set the query ".not. deleted()". True when the table is open.
  bool openFaxDBF();
  bool openRecFaxDBF();
  bool openCoverDBF();
  bool openPhoneDBF(Table& table);  // the phone book window passes its own table
  bool openPhoneDBF() { return openPhoneDBF(*phoneTable_); }
  bool makeFaxDBF();
  bool makeRecFaxDBF();
  bool makeCoverDBF();
  bool makePhoneDBF();
  bool openTable(TableKind kind, Table& table);  // the shared open algorithm
  bool makeTable(TableKind kind);                // the shared create algorithm
  void closeAll();

  // Reopen a list in place: remember the record, close, open, set the query, go back to the
  // remembered record (errors ignored). True when the table is open again.
  bool faxTableCloseAndOpen();
  bool recTableCloseAndOpen();

  // SetButtons index upkeep for the sent or received table: an empty
  // list goes to natural order; a non-empty list in natural order gets its tag and goes to
  // the first record. Returns true when the list is empty (no current record).
  bool orderUpkeep(TableKind kind);

  // ---- rich text through DataFolder + "Eraseme.rtf" (LoadRichText / SaveRichText)
  // Load: memo to the scratch file, read it, delete it; nullopt when the engine reports
  // failure (the caller leaves its control empty). An empty memo gives "".
  std::optional<std::string> loadRichText(Table& table, const std::string& field);
  // Save: write the scratch file, replace the memo from it (the file is left in place).
  bool saveRichText(Table& table, const std::string& field, const std::string& rtf);

  // ---- record life cycle
  // Appends a sent record (New/Clone): SENT false, other fields empty; texts cut to width.
  bool appendSent(const SentEntry& entry);
  // Edit: rewrites the five fields of the current sent record.
  bool editSent(const SentEntry& entry);
  // A send attempt on the current sent record: PAGES, LASTRESULT, PHONE always; SENT true,
  // DATESENT and TIMESENT ("hh:mm") only when the result upper-cased is exactly "SENT" or
  // "OK". Pages are clamped to 0..99 (the field's width).
  bool writeSendOutcome(int pages, const std::string& result, const std::string& phone,
                        const Date& date, const std::string& timeHHMM);
  static bool isSuccessResult(const std::string& result);
  bool appendReceived(const ReceivedEntry& entry);
  bool setNotes(const std::string& notes);  // current received record
  // Flags the current record of a table deleted; for the received table first deletes
  // its fax file (errors ignored) when FAXFILE is a plain file name (see receivedFaxPath).
  bool deleteCurrent(TableKind kind);
  // The fax file of a FAXFILE value: DataFolder + "receive/" + name, or nullopt when the
  // value is empty or not a plain file name (path separators, "..", absolute paths, drive
  // letters, control bytes) so that a tampered table never deletes files elsewhere.
  std::optional<std::string> receivedFaxPath(const std::string& faxFile) const;

  // ---- fax log maintenance
  // Delete-for: natural order, Deleted off, every unflagged record for which `condition` is
  // true is deleted as deleteCurrent does; then Deleted on, order and record restored.
  // Returns the count, or -1 when the condition does not parse (nothing deleted).
  long deleteFor(TableKind kind, const std::string& condition);
  // (F<CTOD("mm/dd/yy")) .and. (.not. EMPTY(F)). Dates outside the rolling window of
  // Environment::expandTwoDigitYear are written with four digits so they still read back.
  std::string beforeDateCondition(const std::string& field, const Date& date) const;
  // ALLTRIM(UPPER(field))=="V" (exact) or "V"$ALLTRIM(UPPER(field)); V upper-cased, trimmed.
  static std::string matchCondition(const std::string& field, const std::string& value,
                                    bool exact);
  // The index rebuild: sent, received, phone, cover: open (creating missing tables), close
  // indexes, delete the .CDX, pack (one retry), recreate the tag with its rebuild key and make
  // it the order; phone and cover closed afterwards. A table that cannot be packed (a memo
  // it cannot read) is left as it is. False when a table could not be opened or packed or a
  // tag could not be made; `problems` then gets one line per fault naming the table and why
  // (for example "QLN.DBF: not packed: cannot pack ...: record 3 field RTFCOVER: memo at
  // block 9 runs past the end of the memo file (the table is left as it is)").
  bool rebuildIndexes(const ProgressFn& progress = {}, std::vector<std::string>* problems = nullptr);

 private:
  std::string dataFolder_;
  xbase::Environment& environment_;
  std::unique_ptr<Table> faxTable_, recTable_, coverTable_, phoneTable_;
};

}  // namespace quillon::store
