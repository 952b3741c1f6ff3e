#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QRadioButton;

namespace kestrel {

// A small dialog asking for one line: an address, a byte value, or what to find (with the choice
// of hex bytes or text). OK is refused while the check gives a reason, which the dialog shows.
class LineDialog final : public QDialog
{
    Q_OBJECT
public:
    LineDialog(const QString& title, const QString& label, QWidget* parent = nullptr);

    // Shows the choice between hex bytes and text.
    void offerTextMode(bool asText);
    void setText(const QString& text);
    void setCheck(std::function<QString()> check) { m_check = std::move(check); }

    [[nodiscard]] QString text() const;
    [[nodiscard]] bool asText() const;
    [[nodiscard]] QString reason() const;

    void accept() override;

private:
    QLineEdit* m_edit = nullptr;
    QRadioButton* m_hex = nullptr;
    QRadioButton* m_text = nullptr;
    QLabel* m_reason = nullptr;
    std::function<QString()> m_check;
};

} // namespace kestrel
