#include "line_dialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kestrel {

LineDialog::LineDialog(const QString& title, const QString& label, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(label, this));
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("LineEdit"));
    layout->addWidget(m_edit);
    auto* modes = new QHBoxLayout;
    m_hex = new QRadioButton(QCoreApplication::translate("app", "Bajty hex"), this);
    m_text = new QRadioButton(QCoreApplication::translate("app", "Tekst"), this);
    m_hex->setChecked(true);
    m_hex->hide();
    m_text->hide();
    modes->addWidget(m_hex);
    modes->addWidget(m_text);
    modes->addStretch();
    layout->addLayout(modes);
    m_reason = new QLabel(this);
    m_reason->setObjectName(QStringLiteral("Reason"));
    m_reason->setWordWrap(true);
    QPalette red = m_reason->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    m_reason->setPalette(red);
    layout->addWidget(m_reason);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &LineDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &LineDialog::reject);
    layout->addWidget(buttons);
    connect(m_edit, &QLineEdit::textEdited, m_reason, &QLabel::clear);
    setMinimumWidth(320);
}

void LineDialog::offerTextMode(bool asText)
{
    m_hex->show();
    m_text->show();
    (asText ? m_text : m_hex)->setChecked(true);
}

void LineDialog::setText(const QString& text)
{
    m_edit->setText(text);
    m_edit->selectAll();
}

QString LineDialog::text() const
{
    return m_edit->text();
}

bool LineDialog::asText() const
{
    return m_text->isChecked();
}

QString LineDialog::reason() const
{
    return m_reason->text();
}

void LineDialog::accept()
{
    const QString reason = m_check ? m_check() : QString();
    if (!reason.isEmpty()) {
        m_reason->setText(reason);
        adjustSize();
        m_edit->setFocus();
        return;
    }
    QDialog::accept();
}

} // namespace kestrel
