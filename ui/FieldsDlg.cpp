#include "ui/FieldsDlg.h"

#include "resources/resource.h"

namespace {
// Each box and the field it stands for.
struct FieldBox {
    int id;
    int field;
};
const FieldBox kBoxes[] = {
    {IDC_FIELD_ALBUM, FieldAlbum},   {IDC_FIELD_ARTIST, FieldArtist}, {IDC_FIELD_COMMENT, FieldComment},
    {IDC_FIELD_DATE, FieldDate},     {IDC_FIELD_GENRE, FieldGenre},   {IDC_FIELD_LENGTH, FieldLength},
    {IDC_FIELD_PLAYED, FieldPlayed}, {IDC_FIELD_TITLE, FieldTitle},   {IDC_FIELD_YEAR, FieldYear},
};
}  // namespace

CFieldsDlg::CFieldsDlg(FieldFlags* flags, const FieldFlags* mask, HWND parent)
    : CDialog(IDD_FIELDS, parent), m_flags(flags), m_mask(mask), m_boxes(flags ? *flags : FieldFlags{}) {}

void CFieldsDlg::DoDataExchange(CDataExchange& dx) {
    for (const FieldBox& box : kBoxes) dx.Check(box.id, m_boxes[box.field]);
}

BOOL CFieldsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    for (const FieldBox& box : kBoxes) GetDlgItem(box.id).EnableWindow(!m_mask || !(*m_mask)[box.field]);
    return TRUE;
}

void CFieldsDlg::OnOK() {
    if (!UpdateData(true)) return;
    if (m_flags)
        for (const FieldBox& box : kBoxes) (*m_flags)[box.field] = m_boxes[box.field];
    EndDialog(IDOK);
}
