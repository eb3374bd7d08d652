// A design-centre page that records the notifications it hears, in order.
#pragma once

#include "velmora/bramcourt/DesignCentral.h"

#include <vector>

class HeardPage : public CWnd {
 public:
  LRESULT OnNotifyMsg(WPARAM w, LPARAM) {
    heard.push_back(int(w));
    return 0;
  }
  std::vector<int> heard;
  DECLARE_MESSAGE_MAP()
};

// The map is defined here: include this header from one file of a test program only.
BEGIN_MESSAGE_MAP(HeardPage, CWnd)
ON_MESSAGE(WM_DCENTER_NOTIFY, OnNotifyMsg)
END_MESSAGE_MAP()
