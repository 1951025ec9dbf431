// Property values as the DataWindow uses them: "default~texpression" values
// evaluated for a row, with the default when evaluation fails.
#include "model/datawindow_model.h"
#include "model/property_catalog.h"
#include "model/wide_text.h"

namespace pbsim {

namespace {
// Expressions that describe() properties whose expressions evaluate further
// expressions stop here and fall back to their defaults.
const int kMaxEvaluationDepth = 16;
// Distinct expression texts kept parsed; the cache starts over beyond this.
const size_t kMaxCachedExpressions = 1024;
}  // namespace

class ModelExpressionContext : public ExpressionContext {
public:
    ModelExpressionContext(const DataWindowModel& model, long row) : m_model(model), m_row(row) {}

    bool ColumnValue(const std::wstring& name, ExprValue* value) override {
        const int id = m_model.ColumnIdByName(name);
        if (id == 0 || m_row < 1 || m_row > m_model.RowCount()) return false;
        const std::wstring cell = m_model.CellText(m_row, id);
        if (m_model.Column(id)->IsNumeric()) {
            double number = 0.0;
            if (!ParseNumber(cell, &number)) return false;  // a null number
            *value = ExprValue::OfNumber(number);
        } else {
            *value = ExprValue::OfText(cell);
        }
        return true;
    }
    std::wstring DescribeText(const std::wstring& property) override { return m_model.Describe(property); }
    long EvaluatedRow() override { return m_row; }
    long CurrentRow() override { return m_model.m_currentRow; }
    long RowCount() override { return m_model.RowCount(); }
    void SetEvaluatedRow(long row) override { m_row = row; }
    bool GroupRows(int level, long row, long* first, long* last) override {
        return m_model.GroupRowRange(level, row, first, last);
    }
    void PageRows(long* first, long* last) override {
        *first = m_model.FirstRowOnPage();
        *last = m_model.LastRowOnPage();
    }

private:
    const DataWindowModel& m_model;
    long m_row;
};

const Expression* DataWindowModel::CachedExpression(const std::wstring& text) const {
    auto it = m_expressionCache.find(text);
    if (it != m_expressionCache.end()) return it->second.get();
    if (m_expressionCache.size() >= kMaxCachedExpressions) m_expressionCache.clear();
    std::unique_ptr<Expression> parsed = Expression::Parse(text, nullptr);
    const Expression* result = parsed.get();
    m_expressionCache[text] = std::move(parsed);  // invalid texts are remembered as null
    return result;
}

bool DataWindowModel::EvaluateExpression(const std::wstring& expression, long row, std::wstring* result) const {
    if (m_evaluationDepth >= kMaxEvaluationDepth) return false;
    const Expression* parsed = CachedExpression(expression);
    if (!parsed) return false;
    ++m_evaluationDepth;
    ModelExpressionContext context(*this, row);
    ExprValue value;
    const bool ok = parsed->Evaluate(context, &value);
    --m_evaluationDepth;
    if (ok && result) *result = ExprValueToText(value);
    return ok;
}

std::wstring DataWindowModel::EvaluateRaw(const std::wstring& raw, long row) const {
    std::wstring defaultPart;
    std::wstring expressionPart;
    if (!SplitExpressionValue(raw, &defaultPart, &expressionPart)) return raw;
    std::wstring value;
    return EvaluateExpression(expressionPart, row, &value) ? value : defaultPart;
}

std::wstring DataWindowModel::EvaluateProperty(const DwObject& object, const std::wstring& key, long row) const {
    const std::wstring lowerKey = ToLowerAscii(key);
    if (lowerKey == L"name") return object.name;
    const std::wstring* stored = object.props.Find(lowerKey);
    if (stored) return EvaluateRaw(*stored, row);
    const wchar_t* def = ObjectPropertyDefault(object.kind, lowerKey);
    return def ? std::wstring(def) : std::wstring();
}

int DataWindowModel::EvaluateInt(const DwObject& object, const std::wstring& key, long row) const {
    const std::wstring value = EvaluateProperty(object, key, row);
    double number = 0.0;
    // Expressions may give reals; positions are whole units.
    if (ParseNumber(value, &number) && number > -2147483648.0 && number < 2147483647.0) {
        return static_cast<int>(number < 0 ? number - 0.5 : number + 0.5);
    }
    return LeadingInteger(value);
}

std::wstring DataWindowModel::EvaluateBandProperty(const std::wstring& band, const std::wstring& key, long row) const {
    const std::wstring lowerBand = ToLowerAscii(band);
    if (!HasBand(lowerBand)) return std::wstring();
    const std::wstring* stored = StoredBandProperty(lowerBand, ToLowerAscii(key));
    if (stored) return EvaluateRaw(*stored, row);
    const wchar_t* fallback = BandPropertyDefault(ToLowerAscii(key));
    return fallback ? std::wstring(fallback) : std::wstring();
}

int DataWindowModel::BandHeight(const std::wstring& band) const {
    return LeadingInteger(EvaluateBandProperty(band, L"height", m_currentRow));
}

long DataWindowModel::BandColor(const std::wstring& band, long row) const {
    return LeadingInteger(EvaluateBandProperty(band, L"color", row));
}

bool DataWindowModel::IsVisible(const DwObject& object, long row) const {
    return EvaluateInt(object, L"visible", row) != 0;
}

std::wstring DataWindowModel::DisplayText(const DwObject& object, long row) const {
    switch (object.kind) {
    case ObjectKind::Text:
    case ObjectKind::Button:
    case ObjectKind::GroupBox: return EvaluateProperty(object, L"text", row);
    case ObjectKind::Column: return CellText(row, object.ColumnId());
    case ObjectKind::Compute: {
        const std::wstring* expression = object.props.Find(L"expression");
        std::wstring value;
        if (expression && EvaluateExpression(*expression, row, &value)) return value;
        return std::wstring();
    }
    default: break;
    }
    return std::wstring();
}

}  // namespace pbsim
