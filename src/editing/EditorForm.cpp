#include "editing/EditorForm.h"

#include <utility>

#include "editing/FieldParser.h"

namespace kelmora {

EditorForm::EditorForm(std::vector<EditorField> fields) : fields_(std::move(fields)) {
    for (const EditorField& field : fields_) {
        switch (field.kind) {
            case FieldKind::kNumber:
                texts_.try_emplace(field.controlId, "0");
                break;
            case FieldKind::kText:
                texts_.try_emplace(field.controlId);
                break;
            case FieldKind::kChoice:
            case FieldKind::kRadios:
            case FieldKind::kFlag:
                values_[field.controlId] = 0;
                break;
            case FieldKind::kSpectrum:
                spectra_[field.controlId];
                break;
            default:
                break;
        }
    }
}

const EditorField* EditorForm::Find(int controlId) const {
    for (const EditorField& field : fields_)
        if (field.controlId == controlId) return &field;
    return nullptr;
}

const std::string& EditorForm::Text(int controlId) const {
    static const std::string kNone;
    const auto it = texts_.find(controlId);
    return it == texts_.end() ? kNone : it->second;
}

void EditorForm::SetText(int controlId, std::string text) {
    if (auto it = texts_.find(controlId); it != texts_.end()) it->second = std::move(text);
}

void EditorForm::SetNumber(int controlId, double value) {
    SetText(controlId, FieldText(value));
}

int EditorForm::Value(int controlId) const {
    const auto it = values_.find(controlId);
    return it == values_.end() ? 0 : it->second;
}

void EditorForm::SetValue(int controlId, int value) {
    if (auto it = values_.find(controlId); it != values_.end()) it->second = value;
}

const CBand& EditorForm::Spectrum(int controlId) const {
    static const CBand kNone;
    const auto it = spectra_.find(controlId);
    return it == spectra_.end() ? kNone : it->second;
}

void EditorForm::SetSpectrum(int controlId, CBand spectrum) {
    if (auto it = spectra_.find(controlId); it != spectra_.end()) it->second = std::move(spectrum);
}

bool EditorForm::IsEnabled(int controlId) const {
    const EditorField* field = Find(controlId);
    if (field == nullptr || field->enabledWhen.controlId == 0) return true;
    return Value(field->enabledWhen.controlId) == field->enabledWhen.value;
}

ValidationResult EditorForm::Read() {
    std::map<int, double> numbers;
    FieldReader reader;
    for (const EditorField& field : fields_) {
        if (field.kind != FieldKind::kNumber) continue;
        double& value = numbers[field.controlId];
        if (field.limits) {
            reader.Number(Text(field.controlId), field.limits->low, field.limits->high, field.name,
                          field.controlId, value);
        } else {
            reader.Number(Text(field.controlId), field.name, field.controlId, value);
        }
        if (!reader.ok()) return reader.issue();
    }
    numbers_ = std::move(numbers);
    return std::nullopt;
}

double EditorForm::Number(int controlId) const {
    const auto it = numbers_.find(controlId);
    return it == numbers_.end() ? 0.0 : it->second;
}

}  // namespace kelmora
