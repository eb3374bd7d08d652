// The print dialog's "Scale" and "Position" page on Qt: the controls of CKxPrintDialog as a page
// of the platform printer dialog.
#pragma once

class CPrintDialog;
class QWidget;

namespace velmora::app {

// A page for a CKxPrintDialog (null for any other dialog).
QWidget* MakePrintOptionsPage(CPrintDialog& dlg);

}  // namespace velmora::app
