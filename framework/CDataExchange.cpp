#include "framework/CDataExchange.h"

#include "framework/CWnd.h"

void DDX_Control(CDataExchange* pDX, int id, CWnd& control)
{
    if (control.m_hWnd || !pDX || !pDX->m_pDlgWnd)
        return;
    control.SubclassDlgItem(static_cast<UINT>(id), pDX->m_pDlgWnd);
}
