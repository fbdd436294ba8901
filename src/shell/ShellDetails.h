// Column details of a shell folder: the folder's own details provider, or one made over its
// IShellFolder2.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include "shell/ComObject.h"

#ifdef __MINGW32__
// MinGW's headers declare the interface without the identifier __uuidof needs.
__CRT_UUID_DECL(IShellDetails, 0x000214ec, 0x0000, 0x0000, 0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                0x46)
#endif

// Presents a folder's IShellFolder2 as IShellDetails, offering only the columns the folder shows
// by default.
class TShellFolder2ToShellDetailsAdapter final : public ComObject<IShellDetails> {
  public:
    // A new adapter holding one reference to folder.
    static Microsoft::WRL::ComPtr<IShellDetails> Create(IShellFolder2* folder);

    explicit TShellFolder2ToShellDetailsAdapter(IShellFolder2* folder) : folder_(folder) {}

    // A column the folder does not show by default gives E_INVALIDARG, which ends a caller's
    // walk over the columns.
    STDMETHODIMP GetDetailsOf(PCUITEMID_CHILD pidl, UINT column, SHELLDETAILS* details) override;
    STDMETHODIMP ColumnClick(UINT column) override;

  private:
    ~TShellFolder2ToShellDetailsAdapter() override = default;

    Microsoft::WRL::ComPtr<IShellFolder2> folder_;
};

// The details provider of a folder: an adapter over its IShellFolder2 when that answers for
// column 0, else the folder's IShellDetails, else the one its view object offers; null when
// there is none.
Microsoft::WRL::ComPtr<IShellDetails> GetShellDetails(IShellFolder* folder);
