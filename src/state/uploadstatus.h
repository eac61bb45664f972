#pragma once

// The history upload as the shared state sees it: while it runs, the link belongs to it. The
// search dialog implements it and registers itself as theApp().m_pUpload.
class CUploadStatus {
  public:
    virtual bool IsUploading() const = 0;

  protected:
    ~CUploadStatus() = default;
};
