#include "window/TagEditDlg.h"

#include "core/Utf.h"
#include "core/win/SystemText.h"
#include "tags/Id3v1Tag.h"
#include "framework/Controls.h"
#include "resources/resource.h"

namespace {

// The item data of the genre box: a genre byte, or the play's own name of a genre the table lacks.
constexpr DWORD_PTR kOwnGenre = 0x100;

struct TextControl {
    int id;
    int field;
};
const TextControl kTextControls[] = {
    {IDC_TAG_TITLE, FieldTitle}, {IDC_TAG_ARTIST, FieldArtist}, {IDC_TAG_ALBUM, FieldAlbum},
    {IDC_TAG_YEAR, FieldYear},   {IDC_TAG_COMMENT, FieldComment},
};

}  // namespace

CTagEditDlg::CTagEditDlg(TrackTexts& texts, HWND parent) : CDialog(IDD_TAGEDIT, parent), m_texts(texts), m_edited(texts) {
    m_wideWindow = true;
}

void CTagEditDlg::DoDataExchange(CDataExchange& dx) {
    for (const TextControl& c : kTextControls) {
        HWND edit = ::GetDlgItem(m_hWnd, c.id);
        if (dx.saving())
            *m_edited.field(c.field) = utf16ToUtf8(windowTextWide(edit));
        else
            ::SetWindowTextW(edit, wideChars(utf8ToUtf16(*m_edited.field(c.field))));
    }
}

BOOL CTagEditDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // The box sorts its entries: the empty one ("no genre") always comes first.
    CComboBox genres(GetDlgItem(IDC_TAG_GENRE));
    genres.SetItemData(genres.AddString(""), CId3v1Tag::kNoGenre);
    // The entry the play's genre selects: none for a number the list does not name (126 to 254).
    DWORD_PTR wanted = m_edited.genre.empty() ? CId3v1Tag::kNoGenre : kOwnGenre;
    for (int g = 0; g < kGenreCount; ++g) {
        const std::string name = genreName(static_cast<std::uint8_t>(g));
        genres.SetItemData(genres.AddString(name), static_cast<DWORD_PTR>(g));
        if (name == m_edited.genre) wanted = static_cast<DWORD_PTR>(g);
    }
    if (wanted == kOwnGenre && m_edited.genre.rfind("Unknown (", 0) == 0) wanted = ~DWORD_PTR(0);
    // A genre the table does not name ("Synthwave") is offered as the play has it.
    if (wanted == kOwnGenre) {
        const std::u16string own = utf8ToUtf16(m_edited.genre);
        const LRESULT item = ::SendMessageW(genres.m_hWnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wideChars(own)));
        genres.SetItemData(static_cast<int>(item), kOwnGenre);
    }
    for (int i = 0; i < genres.GetCount(); ++i)
        if (genres.GetItemData(i) == wanted) genres.SetCurSel(i);
    UpdateData(false);
    return TRUE;
}

void CTagEditDlg::OnOK() {
    if (!UpdateData(true)) return;
    // With no entry picked the play keeps its own genre (a byte the list does not name); the
    // empty entry stands for "no genre".
    CComboBox genres(GetDlgItem(IDC_TAG_GENRE));
    const int item = genres.GetCurSel();
    if (item >= 0) {
        const DWORD_PTR data = genres.GetItemData(item);
        if (data == CId3v1Tag::kNoGenre)
            m_edited.genre.clear();
        else if (data != kOwnGenre)
            m_edited.genre = genreName(static_cast<std::uint8_t>(data));
    }
    m_texts = m_edited;
    EndDialog(IDOK);
}
