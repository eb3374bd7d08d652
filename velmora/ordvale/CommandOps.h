// What the program's menus ask of particular commands beyond the command base: the text main
// command (fill, insert a symbol, its editing state) and the interactive nesting command (stock,
// parts, mirroring). A command class offers these by deriving from the interface as well; the
// menus find them with a cast and do nothing for a command that does not offer them.
#pragma once

class CTextMainOps {
 public:
  virtual ~CTextMainOps() = default;
  // Toggles the fill of the text being edited (Filled Display).
  virtual void OnFill() = 0;
  // Starts inserting a symbol into the text.
  virtual void StartInsSign() = 0;
  // Whether an editing-state object exists and has its state word set: a symbol can go in.
  virtual int IsEditStateSet() const = 0;
  // A character typed into the text (the view passes printable characters only); 0: not taken.
  virtual int InputChar(UINT) { return 0; }
};

class CNestingOps {
 public:
  virtual ~CNestingOps() = default;
  virtual void AddStock() = 0;
  virtual void AddPart() = 0;
  virtual void RemovePart() = 0;
  // axis: 1 mirrors in x, 2 in y.
  virtual void MirrorPart(int axis) = 0;
  virtual void SetDownPart(int down) = 0;
};
