"""An installer signed with a publisher's certificate (the release check
check_signing.sh builds one of each kind, with a throwaway authority, and
leaves it in KEST_SIGNED_DIR/signed-<kind>): the signature changes nothing
a player meets, and the install completes and leaves what an unsigned
one leaves."""

import os

import installview
import kestwine


class SignedInstallerTests(installview.InstallTestCase):

    def test_the_signed_installer_installs_the_demo(self):
        signed = os.path.join(os.environ["KEST_SIGNED_DIR"], "signed-" + self.session.paths.kind,
                              "KestSetup.exe")
        self.assertTrue(os.path.isfile(signed), "no signed installer at %s" % signed)
        folder = "C:\\Games\\Signed\\"

        installview.install_through_ui(self.session, folder, exe=signed)

        self.assert_installed(folder)


if __name__ == "__main__":
    kestwine.main()
