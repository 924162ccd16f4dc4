/* Runs one scenario of the test driver: see driver.h. */

#include "driver.h"

Scenario *scenarios;

Scenario::Scenario(const char *name, void (*run)(void)) : name(name), run(run), next(scenarios)
{
    scenarios = this;
}

/* Reads a record from beside the driver: NAME.record.txt, or NAME.record.txt:TAG
 * for the dialog of that language. */
static bool load(Record *r, const char *arg)
{
    char path[MAX_PATH], name[MAX_PATH], *tag;

    lstrcpynA(name, arg, sizeof(name));
    if ((tag = strchr(name, ':')))
        *tag++ = 0;
    path_join(path, bindir, name);
    return load_record(r, path, tag);
}

int main(int argc, char **argv)
{
    char *slash;

    GetModuleFileNameA(NULL, bindir, sizeof(bindir));
    if ((slash = strrchr(bindir, '\\')))
        *slash = 0;
    if (argc < 3 || argc > 4)
    {
        printf("usage: driver <scenario> <record>[:<tag>] [<other record>]\n");
        return 2;
    }
    if (!load(&brand, argv[2]) || (argc == 4 && !load(&other, argv[3])))
    {
        printf("cannot read the build record %s or %s beside the driver\n", argv[2], argc == 4 ? argv[3] : "-");
        return 2;
    }
    for (Scenario *sc = scenarios; sc; sc = sc->next)
    {
        if (strcmp(argv[1], sc->name))
            continue;
        scenario = argv[1];
        SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, NULL, on_create, 0, 0, WINEVENT_OUTOFCONTEXT);
        if (find_window(0, brand.cls))
        {
            printf("%s: a launcher is already running; scenarios must run one at a time\n", scenario);
            return 1;
        }
        sc->run();
        printf("%s (%s): %d checks, %d failures\n", scenario, brand.exe, passes + failures, failures);
        return failures ? 1 : 0;
    }
    printf("no scenario %s\n", argv[1]);
    return 2;
}
