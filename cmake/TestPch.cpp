// The headers every test program shares are precompiled with this file.
