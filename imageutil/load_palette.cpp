// Building the 256-entry display palette from a bitmap's colour table.
#include "ddutil.h"

static const int PALETTE_SIZE = 256;
// What _lread answers on a read error.
static const UINT HFILE_ERROR_READ = (UINT)HFILE_ERROR;

// A 3-3-2 colour cube, so that whatever the bitmap does not supply still
// gives a complete palette.
static void FillDefaultPalette(PALETTEENTRY* table) {
    for (int i = 0; i < PALETTE_SIZE; i++) {
        table[i].peRed = (BYTE)(((i >> 5) & 7) * 255 / 7);
        table[i].peGreen = (BYTE)(((i >> 2) & 7) * 255 / 7);
        table[i].peBlue = (BYTE)((i & 3) * 255 / 3);
        table[i].peFlags = 0;
    }
}

// How many leading colour-table entries the header describes, never more than
// the working table holds.
static int ColourCount(const BITMAPINFOHEADER* header) {
    if (header->biBitCount > 8) {
        return 0;
    }
    DWORD count = header->biClrUsed != 0 ? header->biClrUsed : 1u << header->biBitCount;
    return count > (DWORD)PALETTE_SIZE ? PALETTE_SIZE : (int)count;
}

static void LoadFromResource(HRSRC resource, PALETTEENTRY* table) {
    const BYTE* data = (const BYTE*)LockResource(LoadResource(NULL, resource));
    if (data == NULL) {
        OutputDebugStringA("lock resource failed\n");
        return;
    }
    DWORD size = SizeofResource(NULL, resource);
    BITMAPINFOHEADER header;
    if (size < sizeof(header)) {
        return;
    }
    memcpy(&header, data, sizeof(header));
    if (header.biSize < sizeof(header) || header.biSize > size) {
        return;
    }
    int count = ColourCount(&header);
    // A table that claims more entries than the resource holds is cut to
    // what is really there.
    DWORD available = (size - header.biSize) / sizeof(RGBQUAD);
    if ((DWORD)count > available) {
        count = (int)available;
    }
    const BYTE* colours = data + header.biSize;
    for (int i = 0; i < count; i++) {
        table[i].peRed = colours[i * 4 + 2];
        table[i].peGreen = colours[i * 4 + 1];
        table[i].peBlue = colours[i * 4 + 0];
        table[i].peFlags = 0;
    }
}

static void LoadFromFile(LPCSTR name, PALETTEENTRY* table) {
    HFILE file = _lopen(name, OF_READ);
    if (file == HFILE_ERROR) {
        return;
    }
    BITMAPFILEHEADER fileHeader;
    BITMAPINFOHEADER header;
    UINT fileHeaderRead = _lread(file, &fileHeader, sizeof(fileHeader));
    UINT headerRead = _lread(file, &header, sizeof(header));
    UINT tableRead = _lread(file, table, PALETTE_SIZE * sizeof(PALETTEENTRY));
    _lclose(file);

    bool accepted = fileHeaderRead == sizeof(fileHeader) && headerRead == sizeof(header) &&
                    header.biSize == sizeof(header);
    int count = accepted ? ColourCount(&header) : 0;
    // Entries a short file did not supply keep their default colours as they are.
    if (tableRead == HFILE_ERROR_READ) {
        tableRead = 0;
    }
    if ((UINT)count > tableRead / sizeof(PALETTEENTRY)) {
        count = (int)(tableRead / sizeof(PALETTEENTRY));
    }
    // The file's table is blue first; the palette wants red first. Byte 3 is
    // kept as the file has it.
    for (int i = 0; i < count; i++) {
        BYTE blue = table[i].peRed;
        table[i].peRed = table[i].peBlue;
        table[i].peBlue = blue;
    }
}

IDirectDrawPalette* DDLoadPalette(IDirectDraw7* dd, LPCSTR name) {
    PALETTEENTRY table[PALETTE_SIZE];
    FillDefaultPalette(table);
    if (name != NULL) {
        HRSRC resource = FindResourceA(NULL, name, RT_BITMAP);
        if (resource != NULL) {
            LoadFromResource(resource, table);
        } else {
            LoadFromFile(name, table);
        }
    }
    IDirectDrawPalette* palette = NULL;
    if (dd->CreatePalette(DDPCAPS_8BIT, table, &palette, NULL) != DD_OK) {
        return NULL;
    }
    return palette;
}
