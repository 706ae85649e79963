// The tag editor: the six fields of a record's stored ID3v1 tag (the file itself is never written).
#pragma once
#include <cstdint>
#include <string>

#include "database/Id3v1Tag.h"
#include "framework/Dialog.h"

class CTagEditDlg : public CDialog {
public:
    // `body` is the record's 125-byte tag body, rebuilt in place on "Update".
    explicit CTagEditDlg(CId3v1Tag::Body& body, HWND parent = nullptr);

    std::string m_title, m_artist, m_album, m_year, m_comment;

protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    CId3v1Tag::Body& m_body;
    std::uint8_t m_genre = CId3v1Tag::kNoGenre;  // the body's own genre byte
};
