#include "results/RecordStream.h"

#include "results/ResultsTable.h"

namespace tessaprint {

void RecordStream::ParseResultLine(std::string_view line)
{
    const ResultLineParts parts = ReadResultLine(line);
    if (parts.date) {
        m_currentDate.assign(*parts.date);
    }
    if (parts.equipmentId) {
        m_currentEquipmentId.assign(*parts.equipmentId);
    }
    // The table's rule: the first ID names the record being filled, every
    // change of ID after it begins a new one.
    if (parts.equipmentId && !m_named) {
        m_named = true;
    } else if (m_currentEquipmentId != m_previousEquipmentId) {
        GiveOut();
    }
    m_previousEquipmentId = m_currentEquipmentId;
    if (m_record.equipmentId != m_currentEquipmentId) {
        m_record.equipmentId = m_currentEquipmentId;
    }
    if (m_record.date != m_currentDate) {
        m_record.date = m_currentDate;
    }
    if (parts.value) {
        m_record.values.emplace_back(*parts.value);
    }
}

void RecordStream::Finish()
{
    GiveOut();
    m_named = false;
}

void RecordStream::GiveOut()
{
    if (m_named) {
        m_take(m_record);
    }
    m_record.equipmentId.clear();
    m_record.date.clear();
    m_record.values.clear();
}

} // namespace tessaprint
