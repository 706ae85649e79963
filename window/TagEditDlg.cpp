#include "window/TagEditDlg.h"

#include "framework/Controls.h"
#include "resources/resource.h"

CTagEditDlg::CTagEditDlg(CId3v1Tag::Body& body, HWND parent) : CDialog(IDD_TAGEDIT, parent), m_body(body) {}

void CTagEditDlg::DoDataExchange(CDataExchange& dx) {
    dx.Text(IDC_TAG_TITLE, m_title);
    dx.Text(IDC_TAG_ARTIST, m_artist);
    dx.Text(IDC_TAG_ALBUM, m_album);
    dx.Text(IDC_TAG_YEAR, m_year);
    dx.Text(IDC_TAG_COMMENT, m_comment);
}

BOOL CTagEditDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // The box sorts its entries: the empty one ("no genre", 255) always comes first.
    CComboBox genres(GetDlgItem(IDC_TAG_GENRE));
    genres.SetItemData(genres.AddString(""), CId3v1Tag::kNoGenre);
    for (int g = 0; g < kGenreCount; ++g) genres.SetItemData(genres.AddString(genreName(static_cast<std::uint8_t>(g))), g);

    CId3v1Tag tag;
    tag.SetBody(m_body.data());
    m_title = tag.title();
    m_artist = tag.artist();
    m_album = tag.album();
    m_year = tag.year();
    m_comment = tag.comment();
    m_genre = tag.genre();
    // Numbers the list does not name (126 to 254) select no entry.
    for (int i = 0; i < genres.GetCount(); ++i) {
        if (static_cast<std::uint8_t>(genres.GetItemData(i)) == m_genre) genres.SetCurSel(i);
    }
    UpdateData(false);
    return TRUE;
}

void CTagEditDlg::OnOK() {
    if (!UpdateData(true)) return;
    // With no entry picked the record keeps its own genre byte (one the list does not name);
    // the empty entry stands for "no genre".
    CComboBox genres(GetDlgItem(IDC_TAG_GENRE));
    const int selected = genres.GetCurSel();
    const std::uint8_t genre = selected < 0 ? m_genre : static_cast<std::uint8_t>(genres.GetItemData(selected));
    const CId3v1Tag tag(m_artist, m_album, m_title, m_year, m_comment, genre);
    m_body = tag.body();
    EndDialog(IDOK);
}
