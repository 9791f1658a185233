// The content list file in memory: a map from key to record, loaded whole and saved whole under
// ContentListLock so that other processes writing the same file are serialised with it.
#pragma once

#include "contentlist/ContentListText.h"
#include "contentlist/ContentRecord.h"
#include "contentlist/ContentListLockSecurity.h"
#include "framework/CodePage.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Text1 of each key in the list at path, in the keys' order, read as CContentList(path) followed
// by GetText1 would answer, empty where that gives nothing; but only the records of these keys are
// kept on the way, so a large list costs a read, not its size in memory.
std::vector<std::string> ReadWantedText1(const std::string& path, const std::vector<std::string>& keys,
                                         const CCodePage& codePage = SystemCodePage());

class CContentList
{
  public:
    // Opens the list at path. A missing file gives a usable, empty list; a file that cannot be
    // read whole leaves the list unusable (IsValid false).
    explicit CContentList(const char* path, const CCodePage& codePage = SystemCodePage());

    // The operations in this order; Save, Load and Open reach the others through the virtual table.
    virtual ~CContentList();
    virtual BOOL Open(const char* path);
    virtual BOOL Commit();
    virtual void Close();
    virtual BOOL SetRecord(const char* key, const char* text1, const char* text2, std::int32_t number);
    virtual BOOL RemoveRecord(const char* key);
    virtual BOOL SetText2(const char* key, const char* text);
    virtual BOOL SetText1(const char* key, const char* text);
    virtual BOOL SetNumber(const char* key, std::int32_t number);
    // The one getter that answers from whatever the map holds, usable or not.
    virtual BOOL GetText2(const char* key, std::string& text) const;
    virtual BOOL GetText1(const char* key, std::string& text) const;
    // 0 when unusable or absent, like a stored 0.
    virtual std::int32_t GetNumber(const char* key) const;
    virtual void RemoveAll();
    virtual BOOL Save();
    virtual BOOL Load();
    virtual BOOL FormatLine(const char* key, const ContentRecord* record, char* buffer,
                            std::uint32_t& length);
    virtual BOOL ParseLine(const char* line, std::string& key, ContentRecord* record);

    CContentList(const CContentList&) = delete;
    CContentList& operator=(const CContentList&) = delete;

    bool IsValid() const { return m_bValid != FALSE; }
    const std::string& Path() const { return m_strPath; }
    const std::string& LockName() const { return m_strLockName; }

  private:
    // The shared rule of the per-key setters: a valid list, a key, and a record already there.
    BOOL ChangeRecord(const char* key, const std::function<void(const ContentRecordView&)>& change);
    const ContentRecordView* Find(const char* key) const;
    // The field of key's record, copied into text; FALSE, text untouched, when there is none.
    BOOL CopyField(const char* key, std::string_view ContentRecordView::*field, std::string& text) const;
    std::string ReadUnderLock() const;
    void SaveUnderLock();
    SECURITY_ATTRIBUTES* LockSecurity() const;

    const CCodePage& m_codePage;
    std::string m_strPath;
    std::string m_strLockName;
    std::unique_ptr<CContentListLockSecurity> m_pLockSecurity;
    CContentRecordMap m_mapRecords;
    BOOL m_bValid = FALSE;
};
