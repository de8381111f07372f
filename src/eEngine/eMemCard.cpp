#include "eEngine/eMemCard.h"

#include <algorithm>
#include <cstring>

#include "cCore/cResetDisabler.h"
#include "eEngine/eMemCardPlatform.h"

int eMemCard::s_nSlot = 0;
eMemCard::eStatus eMemCard::s_status = eMemCard::STATUS_READY;

const char* eMemCard::GetStatusText(int status)
{
#define EMEMCARD_TEXT_CASE(name, value, text) \
    case value: return text;
    switch (status) {
        EMEMCARD_STATUS_LIST(EMEMCARD_TEXT_CASE)
    default: return "???";
    }
#undef EMEMCARD_TEXT_CASE
}

void eMemCard::Initialize(const char* gameName, const char* makerName)
{
    eMemCardPlatform::Initialize();
    eMemCardPlatform::SetComments(gameName, makerName);
}

void eMemCard::SetSlot(int nSlot)
{
    s_nSlot = nSlot;
}

void eMemCard::SetIconData(const void* pData, int nSize)
{
    if (!pData || nSize <= 0)
        return;
    std::memcpy(eMemCardPlatform::s_iconData, pData, std::min<size_t>(static_cast<size_t>(nSize), kIconSize));
}

int eMemCard::GetSaveSize(int nBytes)
{
    if (nBytes <= 0)
        return 0;
    return static_cast<int>((static_cast<int64_t>(nBytes) + kFileSize - 1) / kFileSize);
}

bool eMemCard::CardPresent()
{
    eMemCardPlatform::Probe();
    return s_status == STATUS_READY;
}

bool eMemCard::CardChanged()
{
    return eMemCardPlatform::CardChanged();
}

void eMemCard::Save(const char* name, int nVersion, const void* pData, int nSize, bool bOverwrite)
{
    cResetDisabler holdReset;
    eMemCardPlatform::Save(name, nVersion, pData, nSize, bOverwrite);
}

void eMemCard::Load(const char* name, int nVersion, void* pData, int nSize)
{
    cResetDisabler holdReset;
    eMemCardPlatform::Load(name, nVersion, pData, nSize);
}

void eMemCard::Delete(const char* name)
{
    cResetDisabler holdReset;
    eMemCardPlatform::Delete(name);
}

void eMemCard::Format()
{
    cResetDisabler holdReset;
    eMemCardPlatform::Format();
}
