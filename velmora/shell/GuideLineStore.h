// The guide-line store the "GuideLines" settings page edits through: one record set per
// orientation lists the drawing's guide lines; every edit goes into the drawing at once as an
// undoable action, and the page either keeps the edits (Commit) or takes them back out of the
// undo history (Revert).
#pragma once

#include "platform/afx/List.h"
#include "platform/afx/String.h"

#include <cstdint>
#include <vector>

class CAction;
class CDbAidLine;
class CDbEntity;

class CKxRecordSet {
 public:
  // orientation: 0 horizontal lines, 1 vertical lines.
  explicit CKxRecordSet(int orientation);
  virtual ~CKxRecordSet();
  CKxRecordSet(const CKxRecordSet&) = delete;
  CKxRecordSet& operator=(const CKxRecordSet&) = delete;

  int GetOrientation() const { return m_nOrient; }
  int GetCount() const { return int(entities.size()); }
  // Null outside 0..count-1.
  CDbEntity* GetAt(int index) const;
  // The line's coordinate; 0.0 when there is none at the index.
  double GetValue(int index) const;

  // Lists the drawing's guide lines of the set's orientation, in drawing order.
  void Load();

  // The edits: each is one undo action named by its verb followed by the label. Results 1 on
  // success, 0 (nothing done) without a database, an entity or a valid index.
  int Add(CDbEntity* entity, const CString& label);
  int Delete(int index, const CString& label);
  // The new entity takes the old one's place.
  int Update(int index, CDbEntity* entity, const CString& label);
  // Every line of the set in one action; 0 for an empty set.
  int Clear(const CString& label);

  // The page's operations on lines of the set's orientation. A coordinate that is not finite
  // is refused (0).
  int AddLine(double coord);
  int MoveLine(int index, double coord);
  int DeleteLine(int index);

  // Keeps the edits as ordinary undo steps.
  void Forget();
  // Undoes as many steps as the set recorded.
  void UndoAll();
  // Removes the recorded actions from the undo history, newest first.
  void DropActions();

  // The actions recorded since the last commit, oldest first, with the order in which they
  // were inserted among every record set's (so several sets can be taken back newest first).
  struct Recorded {
    POSITION pos;
    uint64_t seq;
  };
  const std::vector<Recorded>& GetActions() const { return actions; }
  void ForgetActions() { actions.clear(); }

 private:
  // Inserts the action, records its position and redraws. 0 when the action could not be
  // handed to a manager.
  int Insert(CAction* action);

  int m_nOrient;
  std::vector<CDbEntity*> entities;
  std::vector<Recorded> actions;
};

class CKxHorAidLineRecordSet : public CKxRecordSet {
 public:
  CKxHorAidLineRecordSet() : CKxRecordSet(0) {}
};

class CKxVerAidLineRecordSet : public CKxRecordSet {
 public:
  CKxVerAidLineRecordSet() : CKxRecordSet(1) {}
};

// The page's record sets, owned by the page.
class CKxDatabase {
 public:
  CKxDatabase() = default;
  ~CKxDatabase() { sets.clear(); }
  CKxDatabase(const CKxDatabase&) = delete;
  CKxDatabase& operator=(const CKxDatabase&) = delete;

  void AddRecordSet(CKxRecordSet* set);
  int GetCount() const { return int(sets.size()); }
  // The page's OK: the edits stay undoable.
  void Commit();
  // The page's Cancel: every edit is undone and removed from the undo history, so it cannot be
  // redone.
  void Revert();

 private:
  std::vector<CKxRecordSet*> sets;
};

// The label the page's line operations give their actions.
extern const wchar_t* const kAidLineLabel;
