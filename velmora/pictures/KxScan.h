// CKxScan: the application side of TWAIN. It loads the source manager at run time, lets the
// user choose a source, opens and enables it, receives its events through the owner's message
// pre-translation, transfers each image natively as a device-independent bitmap and hands it
// to the owner (CopyImage). Every operation checks the state it needs and does nothing otherwise.
#pragma once

#include "platform/twain/Twain.h"
#include "platform/win/Window.h"
#include "platform/win/WinTypes.h"
#include "velmora/commands/CommandIds.h"


class CKxScan {
 public:
  // Initialises at once when a window is given.
  explicit CKxScan(HWND hWnd = nullptr);
  // Closes the manager (the source first) and unloads it.
  virtual ~CKxScan();
  CKxScan(const CKxScan&) = delete;
  CKxScan& operator=(const CKxScan&) = delete;

  virtual void GetIdentity();
  virtual BOOL SelectSource();
  // With an identity, that source; without one, the chosen or default source.
  virtual BOOL OpenSource(TW_IDENTITY* pSource = nullptr);
  // Before each transfer: 0 transfer, 1 skip this image, 2 abort all.
  virtual int ShouldTransfer(const TW_IMAGEINFO& info);
  virtual BOOL DisableSource();
  // The source asked to be closed: 1 closes it.
  virtual BOOL ShouldCloseSource();
  // One transferred image; the bitmap is freed when this returns, so it is copied here.
  virtual void CopyImage(HANDLE hBitmap, TW_IMAGEINFO& info) = 0;

  // The source manager's library, by name (found the way the loader finds libraries).
  static void SetSourceManagerName(const wchar_t* name);
  static const wchar_t* GetSourceManagerName();

  BOOL InitTwain(HWND hWnd);
  void ReleaseTwain();
  BOOL GetDefaultSource();
  BOOL EnableSource(BOOL showUI = TRUE);
  BOOL CloseSource();
  BOOL CloseDSM();
  // Sets the transfer count and enables the source with its interface shown.
  BOOL Acquire(int numImages = -1);
  // Offers a message of the owner's thread to the source while it is enabled; TRUE when it was
  // the source's event.
  BOOL ProcessMessage(MSG& msg);

  BOOL GetCapability(TW_CAPABILITY& cap, TW_UINT16 conType = TWON_DONTCARE16);
  BOOL GetCapability(TW_UINT16 cap, TW_UINT32& value);
  BOOL SetOneValueCapability(TW_UINT16 cap, TW_UINT16 type, TW_UINT16 value);
  BOOL SetImageCount(TW_INT16 count);
  BOOL GetImageInfo(TW_IMAGEINFO& info);

  BOOL IsLoaded() const { return m_hTwainDLL != nullptr && m_pDSMProc != nullptr; }
  BOOL SourceSelected() const { return m_bSourceSelected; }
  BOOL DSMOpen() const { return m_bDSMOpen; }
  BOOL SourceOpen() const { return m_bSourceOpen; }
  BOOL SourceEnabled() const { return m_bSourceEnabled; }
  BOOL ModalUI() const { return m_bModalUI; }
  TW_INT16 GetTransferCount() const { return m_nImageCount; }
  TW_UINT16 GetRC() const { return m_returnCode; }
  const TW_STATUS& GetStatus() const { return m_Status; }
  const TW_IDENTITY& GetSourceIdentity() const { return m_Source; }

 protected:
  BOOL CallDSM(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
               TW_MEMREF pData);
  BOOL CallDSM(TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData) {
    return CallDSM(&m_AppId, &m_Source, DG, DAT, MSG, pData);
  }
  void TranslateMessage(TW_EVENT& twEvent);
  void TransferImage();
  BOOL EndTransfer();
  void CancelTransfer();
  BOOL GetImage(TW_IMAGEINFO& info);

  HMODULE m_hTwainDLL = nullptr;
  DSMENTRYPROC m_pDSMProc = nullptr;
  TW_IDENTITY m_AppId{};
  TW_IDENTITY m_Source{};
  TW_UINT16 m_returnCode = TWRC_SUCCESS;
  TW_STATUS m_Status{};
  HWND m_hMessageWnd = nullptr;
  BOOL m_bSourceSelected = FALSE;
  BOOL m_bDSMOpen = FALSE;
  BOOL m_bSourceOpen = FALSE;
  BOOL m_bSourceEnabled = FALSE;
  BOOL m_bModalUI = TRUE;
  TW_INT16 m_nImageCount = -1;
};
