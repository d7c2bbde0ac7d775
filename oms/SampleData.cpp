#include "oms/SampleData.h"

#include <cstdio>

namespace oms
{

namespace
{

const char* const kMaleNames[] = {"Aarav",     "Vivaan", "Aditya", "Arjun",    "Rohan",  "Karthik",
                                  "Siddharth", "Rahul",  "Vikram", "Anil",     "Suresh", "Ramesh",
                                  "Pranav",    "Harsh",  "Nikhil", "Manish",   "Deepak", "Sanjay",
                                  "Venkat",    "Farhan", "Imran",  "Gurpreet", "Joseph", "Abhishek",
                                  "Kunal",     "Yash",   "Tushar", "Mahesh"};
const char* const kFemaleNames[] = {"Ananya", "Diya",    "Priya",   "Kavya",    "Sneha", "Aishwarya",
                                    "Meera",  "Pooja",   "Lakshmi", "Divya",    "Neha",  "Shreya",
                                    "Ritu",   "Sunita",  "Fatima",  "Harpreet", "Maria", "Nandini",
                                    "Swati",  "Revathi", "Zoya",    "Ishita",   "Tanvi", "Bhavna"};
const char* const kSurnames[] = {
    "Sharma",   "Patel",     "Iyer",   "Reddy",    "Nair",        "Mehta",     "Shah",  "Gupta",
    "Kulkarni", "Deshpande", "Rao",    "Menon",    "Chatterjee",  "Banerjee",  "Singh", "Kapoor",
    "Joshi",    "Agarwal",   "Pillai", "Naidu",    "Khan",        "Fernandes", "Bhat",  "Desai",
    "Jain",     "Verma",     "Mishra", "Krishnan", "Subramanian", "Das",       "Sethi", "Gill"};

const SampleData::City kCities[] = {
    {"Mumbai", "Maharashtra", "400", "022"},     {"Pune", "Maharashtra", "411", "020"},
    {"New Delhi", "Delhi", "110", "011"},        {"Bengaluru", "Karnataka", "560", "080"},
    {"Ahmedabad", "Gujarat", "380", "079"},      {"Surat", "Gujarat", "395", "0261"},
    {"Vadodara", "Gujarat", "390", "0265"},      {"Chennai", "Tamil Nadu", "600", "044"},
    {"Coimbatore", "Tamil Nadu", "641", "0422"}, {"Hyderabad", "Telangana", "500", "040"},
    {"Kolkata", "West Bengal", "700", "033"},    {"Jaipur", "Rajasthan", "302", "0141"},
    {"Kochi", "Kerala", "682", "0484"},          {"Lucknow", "Uttar Pradesh", "226", "0522"},
    {"Indore", "Madhya Pradesh", "452", "0731"}, {"Chandigarh", "Chandigarh", "160", "0172"},
};

const SampleData::Bank kBanks[] = {
    {"HDFC Bank", "HDFC"},
    {"ICICI Bank", "ICIC"},
    {"State Bank of India", "SBIN"},
    {"Axis Bank", "UTIB"},
    {"Kotak Mahindra Bank", "KKBK"},
    {"Bank of Baroda", "BARB"},
    {"Punjab National Bank", "PUNB"},
    {"Canara Bank", "CNRB"},
    {"Union Bank of India", "UBIN"},
    {"IndusInd Bank", "INDB"},
    {"Yes Bank", "YESB"},
    {"IDFC First Bank", "IDFB"},
};

const char* const kStreets[] = {
    "MG Road",      "Linking Road",  "Anna Salai",    "Residency Road",        "CG Road",
    "Park Street",  "Nehru Place",   "FC Road",       "Banjara Hills Road 12", "Ring Road",
    "Station Road", "Gandhi Nagar",  "Shivaji Nagar", "Civil Lines",           "Bandra Kurla Complex",
    "Ashram Road",  "Jubilee Hills", "T Nagar"};
const char* const kBuildings[] = {
    "Shanti Apartments", "Sai Krupa",       "Green Park Residency", "Lotus Towers", "Ganga Niwas",
    "Prestige Enclave",  "Sunrise Heights", "Om Sai Society",       "Laxmi Villa",  "Palm Grove"};
const char* const kOccupations[] = {
    "Salaried",  "Business", "Professional",  "Self Employed", "Retired",
    "Housewife", "Student",  "Agriculturist", "Doctor",        "Chartered Accountant"};
const char* const kCompanyWords[] = {"Infra",     "Textiles",    "Pharma",  "Logistics", "Agro",
                                     "Chemicals", "Engineering", "Exports", "Foods",     "Software"};

} // namespace

int SampleData::Between(int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(m_random);
}

bool SampleData::Chance(int percent)
{
    return Between(1, 100) <= percent;
}

std::string SampleData::Digits(int count)
{
    std::string digits;
    for (int i = 0; i < count; ++i)
        digits += static_cast<char>('0' + Between(i == 0 ? 1 : 0, 9));
    return digits;
}

std::string SampleData::Letters(int count)
{
    std::string letters;
    for (int i = 0; i < count; ++i)
        letters += static_cast<char>('A' + Between(0, 25));
    return letters;
}

SampleData::Person SampleData::NewPerson()
{
    Person person;
    const bool female = Chance(45);
    person.first = female ? Pick(kFemaleNames) : Pick(kMaleNames);
    person.last = Pick(kSurnames);
    person.gender = female ? "Female" : "Male";
    return person;
}

const SampleData::City& SampleData::CityNamed(const std::string& name)
{
    for (const City& city : kCities)
    {
        if (name == city.name)
            return city;
    }
    return kCities[0];
}

const SampleData::City& SampleData::AnyCity()
{
    return Pick(kCities);
}

const SampleData::Bank& SampleData::AnyBank()
{
    return Pick(kBanks);
}

std::string SampleData::Email(const Person& person, const std::string& domain)
{
    std::string local;
    for (char c : person.first + "." + person.last)
        local += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (Chance(40))
        local += std::to_string(Between(1, 99));
    return local + "@" + domain;
}

std::string SampleData::Mobile()
{
    return std::to_string(Between(7, 9)) + Digits(9);
}

std::string SampleData::Landline(const City& city)
{
    return std::string(city.std) + "-" + Digits(11 - static_cast<int>(std::string(city.std).size()));
}

std::string SampleData::Address(const City& city)
{
    return std::to_string(Between(1, 450)) + ", " + Pick(kBuildings) + ", " + Pick(kStreets) + ", " +
           city.name + " " + Pin(city);
}

std::string SampleData::Pin(const City& city)
{
    char tail[8];
    std::snprintf(tail, sizeof tail, "%03d", Between(1, 99));
    return std::string(city.pin) + tail;
}

std::string SampleData::Pan(const Person& person, char holder)
{
    return Letters(3) + holder + person.last.substr(0, 1) + Digits(4) + Letters(1);
}

std::string SampleData::Date(int fromYear, int toYear)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", Between(fromYear, toYear), Between(1, 12),
                  Between(1, 28));
    return text;
}

std::string SampleData::Ip()
{
    return "10." + std::to_string(Between(0, 40)) + "." + std::to_string(Between(0, 255)) + "." +
           std::to_string(Between(2, 254));
}

std::string SampleData::Mac()
{
    char text[24];
    std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", Between(0, 255) & 0xFC, Between(0, 255),
                  Between(0, 255), Between(0, 255), Between(0, 255), Between(0, 255));
    return text;
}

std::string SampleData::BankBranch(const City& city)
{
    return std::string(city.name) + " " + Pick(kStreets);
}

std::string SampleData::Ifsc(const Bank& bank)
{
    return std::string(bank.ifsc) + "0" + Digits(6);
}

std::string SampleData::BankAccount()
{
    return Digits(Between(11, 15));
}

std::string SampleData::DepositoryAccount()
{
    // NSDL ids start "IN" and a participant; CDSL ids are sixteen digits.
    return Chance(50) ? "IN30" + Digits(4) + Digits(8) : "120" + Digits(13);
}

std::string SampleData::Occupation()
{
    return Pick(kOccupations);
}

std::string SampleData::Company()
{
    const Person founder = NewPerson();
    return founder.last + " " + Pick(kCompanyWords) + (Chance(50) ? " Pvt Ltd" : " LLP");
}

std::string SampleData::Amount(long long low, long long high, long long step)
{
    const long long steps = (high - low) / step;
    const long long value = low + step * std::uniform_int_distribution<long long>(0, steps)(m_random);
    return std::to_string(value) + ".00";
}

} // namespace oms
