// What the Playtally window asks of the application: the commands of its links. The application
// hands itself to the window at construction; the window reaches it no other way.
#pragma once

class IPlaytallyWindowHost {
public:
    virtual ~IPlaytallyWindowHost() = default;
    // "settings...": the settings sheet, as the player's configuration entry opens it.
    virtual void config() = 0;
    // "html it!": publishes the report now.
    virtual void publishReport() = 0;
    // "website...": the plug-in's web page in the user's browser.
    virtual void openWebsite() = 0;
    // "about...": the About box.
    virtual void showAbout() = 0;
};
