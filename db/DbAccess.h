// The drawing's shared objects (database, selection set, undo manager) and the few free
// functions commands call on them. Each accessor has a setter or a maker; the objects set
// with a setter stay the caller's.
#pragma once

#include "db/DbEntity.h"

#include <functional>
// The database accessors gGetDBase/gSetDBase live in the application registry.
#include "platform/vurode/Accessors.h"

class CAction;
class CActManager;
class CDBase;
class CSelector;

CSelector* gGetSelector();
void gSetSelector(CSelector* selector);

// The undo manager, made and deleted here (null until made).
CActManager* gGetActManager();
// Makes the manager when there is none.
void kxCreateAllManager();
// Deletes the manager and its history.
void kxClearAllManager();
// The manager takes the action and does it on the registered database: 1. Without a manager
// the action is done on the database and freed (nothing to undo): 0. Without a database it is
// freed undone: -1. Null: 0.
int kxInsertActionIntoManager(CAction* action);
// Edits of the drawing: every action the undo manager takes in (or, without a manager, does),
// every undo and redo, and every layer added reach the one change handler; the document marks
// itself modified there. The owner token lets an owner clear the handler without removing a
// newer owner's.
void dbSetChangeHandler(const void* owner, std::function<void()> handler);
void dbClearChangeHandler(const void* owner);
void dbNotifyChange();
// Empties the registered selection set (flags cleared), redrawing on the context when given.
void kxClearSelSet(CDC* pDC);

// Fits the 2D view to the box: the box's centre in the middle of the view and the largest
// scale that shows it whole with a margin of 5% on each side. Nothing without a view, for a
// box that is not valid and finite, or for a view without area; a box of no size keeps the
// scale and only centres.
void dbSetViewRange(const _tagBox2D& box);
