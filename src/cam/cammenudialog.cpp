#include "cammenudialog.h"

#include "app/dialogtexts.h"
#include "camviewdialog.h"
#include "comp/tablenumberdialog.h"
#include "programs/selecttypedialog.h"
#include "universalcamdialog.h"

namespace {
constexpr int downloadButton = 1004;
constexpr int uploadButton = 1005;
constexpr int viewButton = 1006;
constexpr int universalButton = 1007;
constexpr int resetButton = 1061;
} // namespace

CamMenuDialog::CamMenuDialog(DriveLink &link, QWidget *parent)
    : FeatureMenuDialog(parent)
    , m_transfer(link, prompt())
    , m_hold(link, m_transfer)
{
    layOutMenu({{downloadButton, std::bind_front(&CamMenuDialog::download, this)},
                {uploadButton, std::bind_front(&CamMenuDialog::upload, this)},
                {viewButton, std::bind_front(&CamMenuDialog::view, this)},
                {universalButton, std::bind_front(&CamMenuDialog::universal, this)},
                {resetButton, std::bind_front(&CamTransfer::resetCommunication, &m_transfer)}});
    follow(m_transfer);
    setLinkHold(&m_hold);

    DialogTexts::apply(this, 223);
}

CamMenuDialog::~CamMenuDialog() = default;

void CamMenuDialog::promptChanged(UserPrompt *)
{
    m_transfer.setPrompt(prompt());
}

int CamMenuDialog::chooseType()
{
    if (m_chooseType)
        return m_chooseType();
    SelectTypeDialog select(this);
    if (select.exec() != QDialog::Accepted)
        return -1;
    return select.batch() ? 1 : 0;
}

int CamMenuDialog::chooseNumber()
{
    if (m_chooseNumber)
        return m_chooseNumber();
    TableNumberDialog number(224, CamProfile::LowestNumber, CamProfile::HighestNumber, 136,
                             prompt(), this);
    number.setValue(CamProfile::LowestNumber);
    return number.exec() == QDialog::Accepted ? number.value() : 0;
}

void CamMenuDialog::upload()
{
    const int type = chooseType();
    if (type < 0)
        return;
    using Kind = CamTransfer::FileKind;
    if (type == 1) {
        const QString path = prompt().chooseFile(CamTransfer::fileRequest(Kind::Batch, true));
        if (!path.isEmpty())
            m_transfer.batchUpload(path);
        return;
    }
    const int number = chooseNumber();
    if (number <= 0)
        return;
    const QString path = prompt().chooseFile(CamTransfer::fileRequest(Kind::Profile, true));
    if (!path.isEmpty())
        m_transfer.upload(number, path);
}

void CamMenuDialog::download()
{
    const int type = chooseType();
    if (type < 0)
        return;
    using Kind = CamTransfer::FileKind;
    if (type == 1) {
        const QString path = prompt().chooseFile(CamTransfer::fileRequest(Kind::Batch, false));
        if (!path.isEmpty())
            m_transfer.batchDownload(path);
        return;
    }
    const int number = chooseNumber();
    if (number <= 0)
        return;
    const QString path = prompt().chooseFile(CamTransfer::fileRequest(Kind::Profile, false));
    if (!path.isEmpty())
        m_transfer.download(number, path);
}

void CamMenuDialog::view()
{
    CamViewDialog dialog(m_transfer, prompt(), this);
    dialog.exec();
    focusExit();
}

void CamMenuDialog::universal()
{
    UniversalCamDialog dialog(prompt(), this);
    dialog.exec();
    focusExit();
}
