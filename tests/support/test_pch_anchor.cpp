// The translation unit that GoogleTest's precompiled header is built with.
