# The clean under a double-byte code page (932), in a prefix of its own with a
# Japanese locale: entries of a Japanese user name go like any other.
nv_wine_script_test(CodePage932.CleansEntriesOfAJapaneseUserName check_codepage932.sh)
